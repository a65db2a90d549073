#include "platform/win32/win32_sockets.h"

#include <winsock2.h>

#include <cstring>

namespace qvx {

bool Win32Sockets::startup(int major, int minor, std::uint16_t& version_obtained) {
  WSADATA data{};
  if (WSAStartup(MAKEWORD(major, minor), &data) != 0) return false;
  version_obtained = data.wVersion;
  return true;
}

void Win32Sockets::cleanup() {
  WSACleanup();
}

std::optional<std::string> Win32Sockets::host_name() {
  char name[80] = {};
  if (gethostname(name, sizeof name) != 0) return std::nullopt;
  name[sizeof name - 1] = '\0';
  return std::string(name);
}

std::optional<std::uint32_t> Win32Sockets::resolve(const std::string& name) {
  const hostent* host = gethostbyname(name.c_str());
  if (!host || host->h_addrtype != AF_INET || host->h_length != 4 || !host->h_addr_list ||
      !host->h_addr_list[0]) {
    return std::nullopt;
  }
  std::uint32_t address;
  std::memcpy(&address, host->h_addr_list[0], 4);
  return address;
}

std::uint32_t Win32Sockets::inet_addr(const std::string& text) {
  return ::inet_addr(text.c_str());
}

std::string Win32Sockets::inet_ntoa(std::uint32_t address) {
  in_addr a{};
  a.s_addr = address;
  const char* text = ::inet_ntoa(a);
  return text ? text : "";
}

}  // namespace qvx
