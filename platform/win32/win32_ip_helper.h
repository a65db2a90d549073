// IP Helper on Windows: routing-table rows, and the adapter list bound at run time.
#pragma once
#include "platform/ip_helper.h"

namespace qvx {

class Win32IpHelper : public platform::IpHelper {
 public:
  std::uint32_t best_interface(std::uint32_t dest, std::uint32_t& if_index) override;
  std::uint32_t create_forward_entry(const platform::ForwardRow& row) override;
  std::uint32_t set_forward_entry(const platform::ForwardRow& row) override;
  bool adapters(std::vector<platform::Adapter>& out) override;
};

}  // namespace qvx
