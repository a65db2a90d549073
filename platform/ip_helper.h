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

// IP_ADAPTER_INFO Type values.
constexpr std::uint32_t kIfTypeEthernet = 6;  // MIB_IF_TYPE_ETHERNET
constexpr std::uint32_t kIfTypePpp = 23;      // MIB_IF_TYPE_PPP

struct Adapter {
  std::uint32_t index = 0;
  std::vector<std::string> addresses;  // IpAddressList, in chain order
  std::vector<std::string> gateways;   // GatewayList, in chain order
  std::uint32_t type = kIfTypeEthernet;
};

// System error numbers the routing code tells apart.
constexpr std::uint32_t kErrorProcNotFound = 127;  // the system lacks the function
constexpr std::uint32_t kErrorObjectAlreadyExists = 5010;

class IpHelper {
 public:
  virtual ~IpHelper() = default;
  virtual std::uint32_t create_forward_entry(const ForwardRow& row) = 0;
  virtual std::uint32_t set_forward_entry(const ForwardRow& row) = 0;
  virtual std::uint32_t delete_forward_entry(const ForwardRow& row) = 0;
  // SetIpForwardEntry2 (bound at run time): sets the route's own metric; the metric1 the table
  // shows is that plus the interface metric. kErrorProcNotFound on a system without it (XP).
  virtual std::uint32_t set_route_metric2(const ForwardRow& row, std::uint32_t route_metric) = 0;
  // GetIpForwardTable: the whole IPv4 routing table, unsorted.
  virtual std::uint32_t forward_table(std::vector<ForwardRow>& out) = 0;
  // The IPv4 interface metric (GetIpInterfaceEntry, bound at run time): kErrorProcNotFound on
  // a system that has none (Windows XP), where a route's metric is not tied to its interface.
  virtual std::uint32_t interface_metric(std::uint32_t if_index, std::uint32_t& metric) = 0;
  // GetAdaptersInfo, bound at run time. False when the library, the entry point or the call
  // fails; then out is left empty.
  virtual bool adapters(std::vector<Adapter>& out) = 0;
};

}  // namespace qvx::platform
