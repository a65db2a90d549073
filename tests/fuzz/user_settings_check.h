// The user.ini property the fuzzers share: what is saved reads back as the same members.
#pragma once
#include <cctype>

#include "fuzz/fuzz_support.h"
#include "shell/password.h"
#include "shell/settings_content.h"
#include "verify/client_record.h"

namespace qvx::fuzz {

inline void read_user_settings(const std::string& plain, ClientRecord& record) {
  UserSettingsReader lines(plain);
  lines.read_account(record);
  lines.read_password(record);
  lines.read_options(record);
}

// Letters, digits, "_" and GBK bytes: what an account or password is normally made of.
inline bool plain_credential(const std::string& text) {
  for (char c : text) {
    const auto u = static_cast<unsigned char>(c);
    if (!(u >= 128 || c == '_' || std::isalnum(u))) return false;
  }
  return true;
}

// Every option comes back. A plain credential comes back whole; any other text comes back
// whole or, when the file cannot carry it, empty.
inline void check_saved_settings_read_back(const ClientRecord& saved) {
  Machine& os = machine();
  const std::string disk = scramble_to_file_bytes(user_settings_content(saved), os.clock());
  ClientRecord next(os.platform());
  next.verify_server = -1;  // so that a line not read shows
  read_user_settings(unscramble_file_bytes(disk, os.clock()), next);

  auto text_back = [](const std::string& saved_text, const std::string& read_text) {
    return read_text == saved_text || (read_text.empty() && !plain_credential(saved_text));
  };
  check(text_back(saved.account, next.account), "the account comes back or empty");
  check(text_back(saved.user_password, next.user_password), "the password comes back or empty");
  check(next.remember_account == saved.remember_account &&
            next.remember_password == saved.remember_password &&
            next.auto_connect == saved.auto_connect && next.spare_option == saved.spare_option &&
            next.remember_choices == saved.remember_choices &&
            next.verify_server == saved.verify_server && next.node_choice == saved.node_choice &&
            next.network_mode == saved.network_mode && next.relay_mode == saved.relay_mode &&
            next.minimize_on_connect == saved.minimize_on_connect &&
            next.no_exit_prompt == saved.no_exit_prompt,
        "every option comes back");
}

}  // namespace qvx::fuzz
