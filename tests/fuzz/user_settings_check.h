// The user.ini property the fuzzers share: what is saved reads back as the same members, line
// by line through the table.
#pragma once
#include <cctype>

#include "fuzz/fuzz_support.h"
#include "shell/password.h"
#include "shell/settings_content.h"
#include "shell/user_ini_fields.h"
#include "verify/client_record.h"

namespace qvx::fuzz {

inline void read_user_settings(const std::string& plain, ClientRecord& record) {
  UserSettingsReader(plain).read_rest(record);
}

// Letters, digits, "_" and GBK bytes: what an account or password is normally made of.
inline bool plain_credential(const std::string& text) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (!(u >= 128 || c == '_' || std::isalnum(u))) return false;
  }
  return true;
}

// Every number line comes back. A plain text comes back whole; any other text comes back whole
// or, when the file cannot carry it, empty.
inline void check_saved_settings_read_back(const ClientRecord& saved) {
  Machine& os = machine();
  const std::string disk = scramble_to_file_bytes(user_settings_content(saved), os.clock());
  ClientRecord next(os.platform());
  // Every member starts unlike the saved one, so that a line not read shows.
  for (const UserIniField& f : kUserIniFields) {
    if (f.number) next.*f.number = ~(saved.*f.number);
    if (f.text) next.*f.text = saved.*f.text + "?";
  }
  read_user_settings(unscramble_file_bytes(disk, os.clock()), next);

  for (const UserIniField& f : kUserIniFields) {
    const bool back = f.number ? next.*f.number == saved.*f.number
                               : next.*f.text == saved.*f.text ||
                                     ((next.*f.text).empty() && !plain_credential(saved.*f.text));
    if (!back) fail("line " + std::to_string(f.line) + " (" + f.name + ") does not come back");
  }
}

}  // namespace qvx::fuzz
