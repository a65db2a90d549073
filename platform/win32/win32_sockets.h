// Windows Sockets over ws2_32.
#pragma once
#include "platform/sockets.h"

namespace qvx {

class Win32Sockets : public platform::Sockets {
 public:
  bool startup(int major, int minor, std::uint16_t& version_obtained) override;
  void cleanup() override;
  std::optional<std::string> host_name() override;
  std::optional<std::uint32_t> resolve(const std::string& name) override;
  std::uint32_t inet_addr(const std::string& text) override;
  std::string inet_ntoa(std::uint32_t address) override;
};

}  // namespace qvx
