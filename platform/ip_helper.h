// IP Helper: the routing-table rows of partial relay and the adapter list.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qvx::platform {

// MIB_IPFORWARDROW; addresses in network byte order.
struct ForwardRow {
  std::uint32_t dest = 0;
  std::uint32_t mask = 0;
  std::uint32_t policy = 0;
  std::uint32_t next_hop = 0;
  std::uint32_t if_index = 0;
  std::uint32_t type = 0;
  std::uint32_t proto = 0;
  std::uint32_t age = 0;
  std::uint32_t next_hop_as = 0;
  std::uint32_t metric1 = 0;
  std::uint32_t metric2 = 0;
  std::uint32_t metric3 = 0;
  std::uint32_t metric4 = 0;
  std::uint32_t metric5 = 0;
};

struct Adapter {
  std::uint32_t index = 0;
  std::vector<std::string> addresses;  // IpAddressList, in chain order
  std::vector<std::string> gateways;   // GatewayList, in chain order
};

class IpHelper {
 public:
  virtual ~IpHelper() = default;
  virtual std::uint32_t best_interface(std::uint32_t dest, std::uint32_t& if_index) = 0;
  virtual std::uint32_t create_forward_entry(const ForwardRow& row) = 0;
  virtual std::uint32_t set_forward_entry(const ForwardRow& row) = 0;
  // GetAdaptersInfo, bound at run time. False when the library, the entry point or the call
  // fails; then out is left empty.
  virtual bool adapters(std::vector<Adapter>& out) = 0;
};

}  // namespace qvx::platform
