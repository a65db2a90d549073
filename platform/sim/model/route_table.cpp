#include "platform/sim/model/route_table.h"

#include "platform/sim/model/machine_profile.h"

#include <algorithm>

namespace qvx::model {
namespace {

constexpr std::uint32_t kNetMgmt = 3;  // MIB_IPPROTO_NETMGMT
constexpr std::uint32_t kDirect = 3;   // MIB_IPROUTE_TYPE_DIRECT
constexpr std::uint32_t kIndirect = 4;
constexpr std::uint32_t kUnusedMetric = 0xFFFFFFFFu;

std::uint32_t host_order(std::uint32_t network_order) {
  const auto* b = reinterpret_cast<const unsigned char*>(&network_order);
  return std::uint32_t{b[0]} << 24 | std::uint32_t{b[1]} << 16 | std::uint32_t{b[2]} << 8 | b[3];
}

bool same_name(const ForwardRow& a, const ForwardRow& b) {
  return a.dest == b.dest && a.mask == b.mask && a.next_hop == b.next_hop &&
         a.if_index == b.if_index;
}

template <typename Routes>
auto named(Routes& routes, const ForwardRow& key) {
  return std::find_if(routes.begin(), routes.end(),
                      [&](const ForwardRow& r) { return same_name(r, key); });
}

// SetIpForwardEntry and DeleteIpForwardEntry (learn.microsoft.com, iphlpapi.h): the caller
// names the row by dwForwardIfIndex, dwForwardDest, dwForwardMask and dwForwardNextHop. The
// XP profile finds it without the next hop.
std::vector<ForwardRow>::iterator find_row(IpMachine& m, const ForwardRow& row) {
  return std::find_if(m.routes.begin(), m.routes.end(), [&](const ForwardRow& r) {
    return m.xp() ? r.dest == row.dest && r.mask == row.mask && r.if_index == row.if_index
                  : same_name(r, row);
  });
}

// MIB_IPFORWARDROW (learn.microsoft.com, ipmib.h): the mask is ANDed with an address before
// the result is compared with dwForwardDest, so a destination with bits outside its mask
// names no network; it cannot be a multicast (class D) address. CreateIpForwardEntry's page:
// ERROR_INVALID_PARAMETER for a mask that is no valid subnet mask or another invalid member.
bool valid_destination(const ForwardRow& row) {
  const std::uint32_t mask = host_order(row.mask), dest = host_order(row.dest);
  const std::uint32_t hosts = ~mask;
  const bool contiguous = (hosts & (hosts + 1)) == 0;
  const bool class_d = (dest >> 28) == 0xE;
  return contiguous && (dest & hosts) == 0 && !class_d;
}

// CreateIpForwardEntry and SetIpForwardEntry (learn.microsoft.com, iphlpapi.h): the caller
// must give MIB_IPPROTO_NETMGMT; an interface that does not exist is ERROR_FILE_NOT_FOUND; from
// Vista on dwForwardMetric1 is the interface metric plus the route's own, so a value below the
// interface's Metric is ERROR_INVALID_PARAMETER.
std::uint32_t write_rule(const IpMachine& m, const ForwardRow& row) {
  if (row.proto != kNetMgmt) return kInvalidParameter;
  const Adapter* a = m.find_interface(row.if_index);
  if (!a) return kFileNotFound;
  if (!m.xp() && row.metric1 < a->metric) return kInvalidParameter;
  return kNoError;
}

}  // namespace

std::uint32_t create_forward_entry(IpMachine& m, const ForwardRow& row) {
  if (row.proto != kNetMgmt || !valid_destination(row)) return kInvalidParameter;
  if (const std::uint32_t code = write_rule(m, row)) return code;
  if (named(m.routes, row) != m.routes.end()) return kAlreadyExists;
  m.routes.push_back(row);
  return kNoError;
}

// SetIpForwardEntry changes the type, age and metrics of the row it names; ERROR_NOT_FOUND
// when there is none.
std::uint32_t set_forward_entry(IpMachine& m, const ForwardRow& row, ForwardRow* changed) {
  if (const std::uint32_t code = write_rule(m, row)) return code;
  const auto it = find_row(m, row);
  if (it == m.routes.end()) return kNotFound;
  it->type = row.type;
  it->age = row.age;
  if (!m.ignore_set_metric) it->metric1 = row.metric1;
  it->metric2 = row.metric2;
  it->metric3 = row.metric3;
  it->metric4 = row.metric4;
  it->metric5 = row.metric5;
  if (changed) *changed = *it;
  return kNoError;
}

// DeleteIpForwardEntry (learn.microsoft.com, iphlpapi.h): the row is named like
// SetIpForwardEntry's.
std::uint32_t delete_forward_entry(IpMachine& m, const ForwardRow& row, ForwardRow* removed) {
  const auto it = find_row(m, row);
  if (it == m.routes.end()) return kNotFound;
  if (removed) *removed = *it;
  m.routes.erase(it);
  return kNoError;
}

// GetIpForwardTable (learn.microsoft.com, iphlpapi.h): ERROR_NO_DATA when there are no routes.
std::uint32_t get_forward_table(const IpMachine& m, std::vector<ForwardRow>& out) {
  out = m.routes;
  return out.empty() ? kNoData : kNoError;
}

// SetIpForwardEntry2 and GetIpForwardEntry2 (learn.microsoft.com, netioapi.h), from Vista on:
// InterfaceIndex, DestinationPrefix and NextHop name the row; an interface or row not found is
// ERROR_NOT_FOUND. Metric is the route's own part: the table shows it plus the interface metric.
std::uint32_t set_forward_entry2(IpMachine& m, const ForwardRow& key, std::uint32_t route_metric,
                                 ForwardRow* changed) {
  if (m.xp()) return kProcNotFound;
  const Adapter* a = m.find_interface(key.if_index);
  if (!a) return kNotFound;
  const auto it = named(m.routes, key);
  if (it == m.routes.end()) return kNotFound;
  it->metric1 = a->metric + route_metric;
  if (changed) *changed = *it;
  return kNoError;
}

std::uint32_t get_forward_entry2(const IpMachine& m, const ForwardRow& key, ForwardRow& out,
                                 std::uint32_t& route_metric) {
  if (m.xp()) return kProcNotFound;
  const Adapter* a = m.find_interface(key.if_index);
  if (!a) return kNotFound;
  const auto it = named(m.routes, key);
  if (it == m.routes.end()) return kNotFound;
  out = *it;
  route_metric = it->metric1 > a->metric ? it->metric1 - a->metric : 0;
  return kNoError;
}

void put_route(IpMachine& m, const ForwardRow& row) {
  for (ForwardRow& old : m.routes) {
    if (same_name(old, row)) {
      old = row;
      return;
    }
  }
  m.routes.push_back(row);
}

void remove_route(IpMachine& m, const ForwardRow& row) {
  const auto it = named(m.routes, row);
  if (it != m.routes.end()) m.routes.erase(it);
}

ForwardRow dial_default_route(const IpMachine& m, const Adapter& tunnel) {
  ForwardRow r;
  r.if_index = tunnel.index;
  r.proto = kNetMgmt;
  r.type = kDirect;
  r.metric1 = m.xp() ? 1 : tunnel.metric;
  r.metric2 = r.metric3 = r.metric4 = r.metric5 = kUnusedMetric;
  if (m.xp() && !tunnel.gateways.empty()) {
    r.next_hop = from_dotted(tunnel.gateways.front());
    r.type = kIndirect;
  }
  return r;
}

}  // namespace qvx::model
