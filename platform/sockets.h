// Windows Sockets: what the local address query and the echo probe need.
#pragma once
#include <cstdint>
#include <optional>
#include <string>

namespace qvx::platform {

constexpr std::uint32_t kInaddrNone = 0xFFFFFFFFu;

class Sockets {
 public:
  virtual ~Sockets() = default;
  // WSAStartup; on success version_obtained holds wVersion as WSAStartup reports it
  // (major in the low byte, minor in the high byte).
  virtual bool startup(int major, int minor, std::uint16_t& version_obtained) = 0;
  virtual void cleanup() = 0;
  virtual std::optional<std::string> host_name() = 0;  // gethostname, 80-byte buffer
  // gethostbyname: the first address (network byte order), or nothing when the lookup fails.
  virtual std::optional<std::uint32_t> resolve(const std::string& name) = 0;
  virtual std::uint32_t inet_addr(const std::string& text) = 0;
  virtual std::string inet_ntoa(std::uint32_t address) = 0;
};

}  // namespace qvx::platform
