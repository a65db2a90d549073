// The routing-table calls: each row converted for the model's rules (platform/sim/model), logged
// with every member and journalled as the table then holds it.
// winsock2.h must come before windows.h.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <cstddef>

#include "iphlp_state.h"
#include "platform/sim/model/route_table.h"
#include "platform/win32/ip_helper_records.h"

using iphlp_double::Call;
using qvx::platform::ForwardRow;

namespace {

static_assert(sizeof(MIB_IPFORWARDROW) == 56);

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

ForwardRow from_native(const MIB_IPFORWARDROW& r) {
  return qvx::ip_records::from_native_row(r);
}

void put_row(MIB_IPFORWARDROW& out, const ForwardRow& r) {
  out = qvx::ip_records::to_native_row<MIB_IPFORWARDROW>(r);
}

}  // namespace

extern "C" {

DWORD WINAPI CreateIpForwardEntry(PMIB_IPFORWARDROW row) {
  Call c("CreateIpForwardEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  log_row(c, *row);
  if (auto f = c.write_fault()) return c.finish(*f);
  const ForwardRow r = from_native(*row);
  const DWORD result = qvx::model::create_forward_entry(c.state.machine, r);
  if (result == NO_ERROR) c.state.journal_route(r);
  return c.finish(result);
}

DWORD WINAPI SetIpForwardEntry(PMIB_IPFORWARDROW row) {
  Call c("SetIpForwardEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  log_row(c, *row);
  if (auto f = c.write_fault()) return c.finish(*f);
  ForwardRow changed;
  const DWORD result = qvx::model::set_forward_entry(c.state.machine, from_native(*row), &changed);
  if (result == NO_ERROR) c.state.journal_route(changed);
  return c.finish(result);
}

DWORD WINAPI DeleteIpForwardEntry(PMIB_IPFORWARDROW row) {
  Call c("DeleteIpForwardEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  log_row(c, *row);
  if (auto f = c.write_fault()) return c.finish(*f);
  ForwardRow removed;
  const DWORD result =
      qvx::model::delete_forward_entry(c.state.machine, from_native(*row), &removed);
  if (result == NO_ERROR) c.state.journal_unroute(removed);
  return c.finish(result);
}

// GetIpForwardTable (learn.microsoft.com, iphlpapi.h): a size that is missing is
// ERROR_INVALID_PARAMETER; a buffer that is missing or smaller than the table gets
// ERROR_INSUFFICIENT_BUFFER and the size needed.
DWORD WINAPI GetIpForwardTable(PMIB_IPFORWARDTABLE table, PULONG size, BOOL order) {
  Call c("GetIpForwardTable");
  c.pointer("buf", table);
  if (!size) return c.finish(ERROR_INVALID_PARAMETER);
  c.arg("size", *size);
  c.arg("order", order ? 1 : 0);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  std::vector<ForwardRow> routes;
  const DWORD result = qvx::model::get_forward_table(c.state.machine, routes);
  c.arg("rows", static_cast<std::uint32_t>(routes.size()));
  if (result != NO_ERROR) return c.finish(result);
  const ULONG needed = static_cast<ULONG>(offsetof(MIB_IPFORWARDTABLE, table) +
                                          routes.size() * sizeof(MIB_IPFORWARDROW));
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
