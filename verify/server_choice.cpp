#include "verify/server_choice.h"

namespace qvx {

bool keeps_last_server(int last_server, const ServerEcho& echo) {
  if (last_server < 1 || last_server > kVerifyServers) return false;
  const auto ms = echo(last_server);
  return ms && *ms <= kKeepServerMs;
}

int choose_server(const ServerEcho& echo) {
  int choice = 1;
  std::uint32_t best = 10000000;
  for (int n = 1; n <= kVerifyServers; ++n) {
    const auto ms = echo(n);
    if (ms && *ms < best) {
      best = *ms;
      choice = n;
    }
  }
  return choice;
}

}  // namespace qvx
