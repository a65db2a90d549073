// The updater's steps: the manifest from server 1 or 2, the download, its checks, the setup
// and the restarted client. Every end but success tells the user why.
#pragma once
#include <string>
#include <vector>

#include "update/front.h"

namespace qvx::update {

enum class Outcome {
  updated,
  nothing_newer,
  no_server,
  bad_reply,
  folder_failed,
  download_failed,
  setup_missing,
  wrong_size,
  wrong_digest,
  self_unsigned,
  untrusted,
  other_signer,
  cancelled,
  client_running,
  setup_not_started,
  setup_failed,
  client_not_started,
};

struct Result {
  Outcome outcome;
  int setup_code = 0;  // for setup_failed
};

// The file name of the download inside the private folder.
inline constexpr const char kSetupFileName[] = "quovix-setup.exe";

// servers: "host[:port]" of server 1 and 2, in order; own_number: the running build's
// four-digit number.
Result run_update(Front& front, const std::vector<std::string>& servers,
                  const std::string& own_number);

// The message shown for a result, empty for success.
std::string outcome_message(const Result& result);

}  // namespace qvx::update
