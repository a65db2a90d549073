// The server choice with its echoes overlapped: the same decisions as keeps_last_server and
// choose_server, in about one echo timeout instead of up to four.
#pragma once
#include <chrono>
#include <cstdint>
#include <functional>
#include <future>
#include <optional>
#include <string>

#include "verify/server_choice.h"

namespace qvx {

struct ServerEchoOutcome {
  std::optional<std::uint32_t> ms;  // nothing when no correct echo came back
  std::string error;                // the text of the box a failed echo brings, if any
};

class OverlappedServerChoice {
 public:
  // Runs on threads of its own, several at once; calls sending() just before the echo request
  // goes out, after the name lookup.
  using Echo = std::function<ServerEchoOutcome(int server, const std::function<void()>& sending)>;
  // Shows a failed echo's box; called on the thread that asks, in the sequential rule's order.
  using Report = std::function<void(const std::string& error)>;

  // The fresh choice's echoes start when the last server has not answered this long after its
  // echo went out: an answer any later could not keep it anyway. Counted from the request, not
  // from the name lookup, with a margin for the threads' scheduling.
  static constexpr std::chrono::milliseconds kHeadStart{kKeepServerMs};
  static constexpr std::chrono::milliseconds kSchedulingMargin{100};

  OverlappedServerChoice(Echo echo, Report report);
  // Waits for the echoes still running, so none outlives the choice.
  ~OverlappedServerChoice();
  OverlappedServerChoice(const OverlappedServerChoice&) = delete;
  OverlappedServerChoice& operator=(const OverlappedServerChoice&) = delete;

  // As keeps_last_server.
  bool keeps_last(int last_server);
  // As choose_server.
  int fresh_choice();

 private:
  void start_fresh();
  ServerEchoOutcome take(std::future<ServerEchoOutcome>& echo);

  Echo echo_;
  Report report_;
  std::future<ServerEchoOutcome> last_;
  std::future<ServerEchoOutcome> fresh_[kVerifyServers];
  bool fresh_started_ = false;
};

}  // namespace qvx
