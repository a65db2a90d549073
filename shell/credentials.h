// The credentials as they stood when a worker was started: typing afterwards changes the
// record, never what a running worker sends.
#pragma once
#include <string>

namespace qvx {

struct LoginCredentials {
  std::string account;
  std::string password;
};

}  // namespace qvx
