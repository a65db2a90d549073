#include "verify/network_identification.h"

#include <cstdlib>

namespace qvx {

constexpr std::uint16_t kWinsock20 = 2 | 0 << 8;  // wVersion: major low, minor high

std::optional<std::string> query_local_address(platform::Sockets& sockets) {
  std::uint16_t obtained = 0;
  if (!sockets.startup(2, 0, obtained)) return std::nullopt;
  std::optional<std::string> address;
  if (obtained == kWinsock20) {
    if (const auto name = sockets.host_name()) {
      if (const auto first = sockets.resolve(*name)) address = sockets.inet_ntoa(*first);
    }
  }
  // Every successful start-up is balanced, whichever step failed.
  sockets.cleanup();
  return address;
}

std::string local_address_or_default(platform::Sockets& sockets) {
  return query_local_address(sockets).value_or(kNoLocalAddress);
}

bool is_inner_address(const std::string& local_ip) {
  const auto dot1 = local_ip.find('.');
  const std::string first = local_ip.substr(0, dot1);
  if (first == "10" || first == "192") return true;
  if (first != "172" || dot1 == std::string::npos) return false;
  const auto dot2 = local_ip.find('.', dot1 + 1);
  const std::string second =
      local_ip.substr(dot1 + 1, dot2 == std::string::npos ? std::string::npos : dot2 - dot1 - 1);
  const long octet = std::strtol(second.c_str(), nullptr, 10);
  return octet >= 16 && octet <= 31;
}

std::string locality_label(const std::string& local_ip) {
  return is_inner_address(local_ip) ? "（内网）" : "（外网）";
}

}  // namespace qvx
