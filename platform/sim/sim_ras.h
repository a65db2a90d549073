// QVX-UNBUILT: the simulated Remote Access service comes with the dialer work.
#pragma once
#include "platform/ras.h"

namespace qvx::sim {

class SimIpHelper;

class SimRas : public platform::Ras {
 public:
  explicit SimRas(SimIpHelper& adapters) : adapters_(adapters) {}
  std::uint32_t entry_size(std::uint32_t&) override { return 1; }
  std::uint32_t set_entry(const std::string&, const platform::RasEntry&, std::uint32_t) override { return 1; }
  std::uint32_t dial(const std::string&, const std::string&, const std::string&, platform::RasHandle&) override { return 1; }
  std::uint32_t hang_up(platform::RasHandle) override { return 1; }
  std::uint32_t connections(std::vector<platform::RasConnection>&) override { return 0; }
  std::uint32_t entries(bool, std::vector<std::string>&) override { return 0; }
  std::uint32_t delete_entry(const std::string&) override { return 623; }
  std::uint32_t connect_status(platform::RasHandle, std::uint32_t&) override { return 6; }
  std::uint32_t statistics(platform::RasHandle, std::uint32_t&, std::uint32_t&) override { return 6; }

 private:
  SimIpHelper& adapters_;
};

}  // namespace qvx::sim
