// The routing-table calls, checked as the SDK describes them and logged with every member of
// the row they are handed.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include "iphlp_state.h"

using iphlp_double::Call;
using iphlp_double::Route;

namespace {

static_assert(sizeof(MIB_IPFORWARDROW) == 56);
constexpr DWORD kNetMgmt = 3;  // MIB_IPPROTO_NETMGMT, the only protocol callers may give

void log_row(Call& c, const MIB_IPFORWARDROW& r) {
  c.text("dest", iphlp_double::dotted(r.dwForwardDest));
  c.text("mask", iphlp_double::dotted(r.dwForwardMask));
  c.arg("policy", r.dwForwardPolicy);
  c.text("nexthop", iphlp_double::dotted(r.dwForwardNextHop));
  c.arg("if", r.dwForwardIfIndex);
  c.arg("type", r.dwForwardType);
  c.arg("proto", r.dwForwardProto);
  c.arg("age", r.dwForwardAge);
  c.arg("nexthopas", r.dwForwardNextHopAS);
  c.arg("metric1", r.dwForwardMetric1);
  c.arg("metric2", r.dwForwardMetric2);
  c.arg("metric3", r.dwForwardMetric3);
  c.arg("metric4", r.dwForwardMetric4);
  c.arg("metric5", r.dwForwardMetric5);
}

// A route is named by destination, mask, next hop and interface.
bool same_route(const Route& r, const MIB_IPFORWARDROW& row) {
  return r.dest == row.dwForwardDest && r.mask == row.dwForwardMask &&
         r.next_hop == row.dwForwardNextHop && r.if_index == row.dwForwardIfIndex;
}

std::uint32_t prefix_length(std::uint32_t network_order_mask) {
  return static_cast<std::uint32_t>(__builtin_popcount(network_order_mask));
}

}  // namespace

extern "C" {

// Longest prefix first, then the lowest metric, among the routes of interfaces that exist.
DWORD WINAPI GetBestInterface(IPAddr dest, PDWORD index) {
  Call c("GetBestInterface");
  c.text("dest", iphlp_double::dotted(dest));
  if (!index) return c.finish(ERROR_INVALID_PARAMETER);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  const Route* best = nullptr;
  for (const Route& r : c.state.routes) {
    if ((dest & r.mask) != r.dest || !c.state.interface_exists(r.if_index)) continue;
    if (!best || prefix_length(r.mask) > prefix_length(best->mask) ||
        (r.mask == best->mask && r.metric[0] < best->metric[0])) {
      best = &r;
    }
  }
  if (!best) return c.finish(ERROR_CAN_NOT_COMPLETE);
  *index = best->if_index;
  c.arg("out_if", *index);
  return c.finish(NO_ERROR);
}

DWORD WINAPI CreateIpForwardEntry(PMIB_IPFORWARDROW row) {
  Call c("CreateIpForwardEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  log_row(c, *row);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (row->dwForwardProto != kNetMgmt) return c.finish(ERROR_INVALID_PARAMETER);
  // A destination with bits outside its mask is no network.
  if ((row->dwForwardDest & ~row->dwForwardMask) != 0) return c.finish(ERROR_INVALID_PARAMETER);
  if (!c.state.interface_exists(row->dwForwardIfIndex)) return c.finish(ERROR_FILE_NOT_FOUND);
  for (const Route& r : c.state.routes) {
    if (same_route(r, *row)) return c.finish(ERROR_OBJECT_ALREADY_EXISTS);
  }
  Route r;
  r.dest = row->dwForwardDest;
  r.mask = row->dwForwardMask;
  r.policy = row->dwForwardPolicy;
  r.next_hop = row->dwForwardNextHop;
  r.if_index = row->dwForwardIfIndex;
  r.type = row->dwForwardType;
  r.proto = row->dwForwardProto;
  r.age = row->dwForwardAge;
  r.next_hop_as = row->dwForwardNextHopAS;
  const DWORD metrics[5] = {row->dwForwardMetric1, row->dwForwardMetric2, row->dwForwardMetric3,
                            row->dwForwardMetric4, row->dwForwardMetric5};
  for (int i = 0; i < 5; ++i) r.metric[i] = metrics[i];
  c.state.routes.push_back(r);
  return c.finish(NO_ERROR);
}

// Changes the metrics, type and age of the route the row names.
DWORD WINAPI SetIpForwardEntry(PMIB_IPFORWARDROW row) {
  Call c("SetIpForwardEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  log_row(c, *row);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (row->dwForwardProto != kNetMgmt) return c.finish(ERROR_INVALID_PARAMETER);
  if (!c.state.interface_exists(row->dwForwardIfIndex)) return c.finish(ERROR_FILE_NOT_FOUND);
  for (Route& r : c.state.routes) {
    if (!same_route(r, *row)) continue;
    r.type = row->dwForwardType;
    r.age = row->dwForwardAge;
    const DWORD metrics[5] = {row->dwForwardMetric1, row->dwForwardMetric2, row->dwForwardMetric3,
                              row->dwForwardMetric4, row->dwForwardMetric5};
    for (int i = 0; i < 5; ++i) r.metric[i] = metrics[i];
    return c.finish(NO_ERROR);
  }
  return c.finish(ERROR_NOT_FOUND);
}

}  // extern "C"
