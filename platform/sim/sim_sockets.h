// QVX-UNBUILT: the simulated Windows Sockets come with the echo work.
#pragma once
#include "platform/sockets.h"

namespace qvx::sim {

class SimSockets : public platform::Sockets {
 public:
  bool startup(int, int, std::uint16_t&) override { return false; }
  void cleanup() override {}
  std::optional<std::string> host_name() override { return std::nullopt; }
  std::optional<std::uint32_t> resolve(const std::string&) override { return std::nullopt; }
  std::uint32_t inet_addr(const std::string&) override { return platform::kInaddrNone; }
  std::string inet_ntoa(std::uint32_t) override { return "0.0.0.0"; }
};

}  // namespace qvx::sim
