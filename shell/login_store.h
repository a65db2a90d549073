// The first four lines of user.ini (remember the account, the account, remember the password,
// the password) belong to the Windows user: they are kept in the user's own store, the password
// protected with DPAPI. user.ini in the program folder, which every user of the PC reads, keeps
// the other lines, and those four empty for earlier versions.
#pragma once
#include <optional>
#include <string>

#include "platform/user_store.h"

namespace qvx {

// The login lines as user.ini holds them when nobody's login is there.
inline constexpr char kNoLogin[] = "0\n\n0\n\n";

struct SettingsParts {
  std::string login;  // up to four lines, each with its line break
  std::string rest;
};
SettingsParts split_login_lines(const std::string& plain);

// True when the lines name an account or a password: an earlier version's file, moved once.
bool login_lines_carry_login(const std::string& login);

class LoginStore {
 public:
  LoginStore(platform::UserStore& store, platform::DataProtection& protection)
      : store_(store), protection_(protection) {}
  // The login lines of this user; kNoLogin when none are stored. A password that does not
  // unprotect reads as empty and sets *password_lost.
  std::string load(bool& password_lost);
  // False when the lines could not be stored, or the password not protected.
  bool save(const std::string& login);

 private:
  platform::UserStore& store_;
  platform::DataProtection& protection_;
};

}  // namespace qvx
