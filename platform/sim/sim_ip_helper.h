// QVX-UNBUILT: the simulated routing table comes with the routing work.
#pragma once
#include <algorithm>
#include <mutex>

#include "platform/ip_helper.h"

namespace qvx::sim {

class SimIpHelper : public platform::IpHelper {
 public:
  std::uint32_t best_interface(std::uint32_t, std::uint32_t&) override { return 1; }
  std::uint32_t create_forward_entry(const platform::ForwardRow&) override { return 1; }
  std::uint32_t set_forward_entry(const platform::ForwardRow&) override { return 1; }
  // Like GetAdaptersInfo, an empty list is a failed call (ERROR_NO_DATA).
  bool adapters(std::vector<platform::Adapter>& out) override {
    std::lock_guard<std::mutex> lock(adapters_mutex_);
    out = adapters_;
    return !out.empty();
  }

  // The adapter list; the simulated RAS adds and removes its tunnel adapters here.
  void add_adapter(const platform::Adapter& adapter) {
    std::lock_guard<std::mutex> lock(adapters_mutex_);
    adapters_.push_back(adapter);
  }
  void remove_adapter(std::uint32_t index) {
    std::lock_guard<std::mutex> lock(adapters_mutex_);
    adapters_.erase(std::remove_if(adapters_.begin(), adapters_.end(),
                                   [index](const auto& a) { return a.index == index; }),
                    adapters_.end());
  }

 private:
  std::mutex adapters_mutex_;
  std::vector<platform::Adapter> adapters_;
};

}  // namespace qvx::sim
