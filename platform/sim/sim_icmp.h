// QVX-UNBUILT: the simulated ICMP library comes with the echo work.
#pragma once
#include "platform/icmp.h"

namespace qvx::sim {

class SimIcmp : public platform::Icmp {
 public:
  bool load_library() override { return false; }
  bool bind_entry_points() override { return false; }
  void unload_library() override {}
  bool open_handle() override { return false; }
  void close_handle() override {}
  std::uint32_t send_echo(std::uint32_t, const std::string&, std::uint8_t, std::uint32_t,
                          std::size_t, platform::EchoReply&) override { return 0; }
  void set_last_error(std::uint32_t) override {}
  std::uint32_t last_error() override { return 0; }
};

}  // namespace qvx::sim
