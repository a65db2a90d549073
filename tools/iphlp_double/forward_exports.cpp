// The routing-table calls, checked as Microsoft's pages describe them and logged with every
// member of the row they are handed.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <cstddef>

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

// SetIpForwardEntry and DeleteIpForwardEntry name the row by dwForwardIfIndex, dwForwardDest,
// dwForwardMask and dwForwardNextHop (learn.microsoft.com, iphlpapi.h); the XP model found it
// without the next hop.
Route* find_route(iphlp_double::State& s, const MIB_IPFORWARDROW& row) {
  for (Route& r : s.routes) {
    if (s.xp ? r.dest == row.dwForwardDest && r.mask == row.dwForwardMask &&
                   r.if_index == row.dwForwardIfIndex
             : same_route(r, row)) {
      return &r;
    }
  }
  return nullptr;
}

// From Vista on dwForwardMetric1 is the interface metric plus the route's own, so it may not
// be below the interface's Metric (CreateIpForwardEntry and SetIpForwardEntry remarks,
// learn.microsoft.com; KB 947216): ERROR_INVALID_PARAMETER.
bool below_interface_metric(const iphlp_double::State& s, const MIB_IPFORWARDROW& row) {
  const auto* a = s.adapter(row.dwForwardIfIndex);
  return !s.xp && a && row.dwForwardMetric1 < a->metric;
}

void put_row(MIB_IPFORWARDROW& out, const Route& r) {
  out.dwForwardDest = r.dest;
  out.dwForwardMask = r.mask;
  out.dwForwardPolicy = r.policy;
  out.dwForwardNextHop = r.next_hop;
  out.dwForwardIfIndex = r.if_index;
  out.dwForwardType = r.type;
  out.dwForwardProto = r.proto;
  out.dwForwardAge = r.age;
  out.dwForwardNextHopAS = r.next_hop_as;
  out.dwForwardMetric1 = r.metric[0];
  out.dwForwardMetric2 = r.metric[1];
  out.dwForwardMetric3 = r.metric[2];
  out.dwForwardMetric4 = r.metric[3];
  out.dwForwardMetric5 = r.metric[4];
}

}  // namespace

extern "C" {

DWORD WINAPI CreateIpForwardEntry(PMIB_IPFORWARDROW row) {
  Call c("CreateIpForwardEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  log_row(c, *row);
  if (auto f = c.write_fault()) return c.finish(*f);
  if (row->dwForwardProto != kNetMgmt) return c.finish(ERROR_INVALID_PARAMETER);
  // A destination with bits outside its mask is no network.
  if ((row->dwForwardDest & ~row->dwForwardMask) != 0) return c.finish(ERROR_INVALID_PARAMETER);
  if (!c.state.interface_exists(row->dwForwardIfIndex)) return c.finish(ERROR_FILE_NOT_FOUND);
  if (below_interface_metric(c.state, *row)) return c.finish(ERROR_INVALID_PARAMETER);
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
  c.state.put_route(r);
  return c.finish(NO_ERROR);
}

// Changes the metrics, type and age of the route the row names.
DWORD WINAPI SetIpForwardEntry(PMIB_IPFORWARDROW row) {
  Call c("SetIpForwardEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  log_row(c, *row);
  if (auto f = c.write_fault()) return c.finish(*f);
  if (row->dwForwardProto != kNetMgmt) return c.finish(ERROR_INVALID_PARAMETER);
  if (!c.state.interface_exists(row->dwForwardIfIndex)) return c.finish(ERROR_FILE_NOT_FOUND);
  if (below_interface_metric(c.state, *row)) return c.finish(ERROR_INVALID_PARAMETER);
  Route* r = find_route(c.state, *row);
  if (!r) return c.finish(ERROR_NOT_FOUND);
  const DWORD metrics[5] = {row->dwForwardMetric1, row->dwForwardMetric2, row->dwForwardMetric3,
                            row->dwForwardMetric4, row->dwForwardMetric5};
  Route changed = *r;
  for (int i = 0; i < 5; ++i) changed.metric[i] = metrics[i];
  changed.type = row->dwForwardType;
  changed.age = row->dwForwardAge;
  c.state.put_route(changed);
  return c.finish(NO_ERROR);
}

DWORD WINAPI DeleteIpForwardEntry(PMIB_IPFORWARDROW row) {
  Call c("DeleteIpForwardEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  log_row(c, *row);
  if (auto f = c.write_fault()) return c.finish(*f);
  Route* r = find_route(c.state, *row);
  if (!r) return c.finish(ERROR_NOT_FOUND);
  c.state.remove_route(Route(*r));
  return c.finish(NO_ERROR);
}

// GetIpForwardTable (learn.microsoft.com, iphlpapi.h): a buffer that is missing or smaller than
// the table gets ERROR_INSUFFICIENT_BUFFER and the size needed.
DWORD WINAPI GetIpForwardTable(PMIB_IPFORWARDTABLE table, PULONG size, BOOL order) {
  Call c("GetIpForwardTable");
  c.pointer("buf", table);
  if (!size) return c.finish(ERROR_INVALID_PARAMETER);
  c.arg("size", *size);
  c.arg("order", order ? 1 : 0);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  const auto& routes = c.state.routes;
  const ULONG needed = static_cast<ULONG>(offsetof(MIB_IPFORWARDTABLE, table) +
                                          routes.size() * sizeof(MIB_IPFORWARDROW));
  c.arg("rows", static_cast<std::uint32_t>(routes.size()));
  if (!table || *size < needed) {
    *size = needed;
    c.arg("out_size", needed);
    return c.finish(ERROR_INSUFFICIENT_BUFFER);
  }
  table->dwNumEntries = static_cast<DWORD>(routes.size());
  auto* rows = reinterpret_cast<MIB_IPFORWARDROW*>(reinterpret_cast<char*>(table) +
                                                   offsetof(MIB_IPFORWARDTABLE, table));
  for (std::size_t i = 0; i < routes.size(); ++i) put_row(rows[i], routes[i]);
  return c.finish(NO_ERROR);
}

}  // extern "C"
