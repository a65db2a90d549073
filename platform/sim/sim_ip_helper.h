// QVX-UNBUILT: the simulated routing table and adapters come with the routing work.
#pragma once
#include "platform/ip_helper.h"

namespace qvx::sim {

class SimIpHelper : public platform::IpHelper {
 public:
  std::uint32_t best_interface(std::uint32_t, std::uint32_t&) override { return 1; }
  std::uint32_t create_forward_entry(const platform::ForwardRow&) override { return 1; }
  std::uint32_t set_forward_entry(const platform::ForwardRow&) override { return 1; }
  bool adapters(std::vector<platform::Adapter>&) override { return false; }
};

}  // namespace qvx::sim
