// IP Helper on Windows: routing-table rows, and the adapter list and the interface metric
// bound at run time.
#pragma once
#include "platform/ip_helper.h"

namespace qvx {

class Win32IpHelper : public platform::IpHelper {
 public:
  std::uint32_t create_forward_entry(const platform::ForwardRow& row) override;
  std::uint32_t set_forward_entry(const platform::ForwardRow& row) override;
  std::uint32_t delete_forward_entry(const platform::ForwardRow& row) override;
  std::uint32_t set_route_metric2(const platform::ForwardRow& row,
                                  std::uint32_t route_metric) override;
  std::uint32_t forward_table(std::vector<platform::ForwardRow>& out) override;
  std::uint32_t interface_metric(std::uint32_t if_index, std::uint32_t& metric) override;
  bool adapters(std::vector<platform::Adapter>& out) override;
};

}  // namespace qvx
