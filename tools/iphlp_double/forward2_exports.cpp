// SetIpForwardEntry2 and GetIpForwardEntry2 (MIB_IPFORWARD_ROW2), which Windows has from Vista
// on; the XP build of the double leaves them out, as XP's iphlpapi.dll does.
// winsock2.h must come before windows.h.
#include <winsock2.h>
// ws2ipdef.h before iphlpapi.h: netioapi.h declares the MIB_IPFORWARD_ROW2 record only then.
#include <ws2ipdef.h>

#include <windows.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include "iphlp_state.h"
#include "platform/sim/model/route_table.h"

using iphlp_double::Call;
using qvx::platform::ForwardRow;

namespace {

constexpr ULONG kInfinite = 0xFFFFFFFFu;

// The prefix length as a mask in network byte order (no ws2_32 import for htonl).
std::uint32_t mask_of(unsigned length) {
  std::uint32_t mask = 0;
  auto* b = reinterpret_cast<unsigned char*>(&mask);
  for (unsigned bit = 0; bit < length && bit < 32; ++bit) b[bit / 8] |= 0x80 >> (bit % 8);
  return mask;
}

// The members that name the row (learn.microsoft.com, SetIpForwardEntry2 and
// GetIpForwardEntry2): DestinationPrefix and NextHop with an address family, and InterfaceLuid
// or InterfaceIndex; ERROR_INVALID_PARAMETER without them. The double keeps no LUIDs and no
// IPv6 routes: such a row is not found.
DWORD row_key(Call& c, const MIB_IPFORWARD_ROW2& row, ForwardRow& key) {
  const auto& prefix = row.DestinationPrefix;
  c.arg("family", prefix.Prefix.si_family);
  c.arg("if", row.InterfaceIndex);
  c.hex("luid", static_cast<std::uint32_t>(row.InterfaceLuid.Value));
  if (row.InterfaceIndex == 0 && row.InterfaceLuid.Value == 0) return ERROR_INVALID_PARAMETER;
  const auto family = prefix.Prefix.si_family;
  if ((family != AF_INET && family != AF_INET6) || row.NextHop.si_family != family) {
    return ERROR_INVALID_PARAMETER;
  }
  if (family == AF_INET6 || row.InterfaceIndex == 0) return ERROR_NOT_FOUND;
  if (prefix.PrefixLength > 32) return ERROR_INVALID_PARAMETER;
  key.dest = prefix.Prefix.Ipv4.sin_addr.s_addr;
  key.mask = mask_of(prefix.PrefixLength);
  key.next_hop = row.NextHop.Ipv4.sin_addr.s_addr;
  key.if_index = row.InterfaceIndex;
  c.text("dest", iphlp_double::dotted(key.dest));
  c.arg("length", prefix.PrefixLength);
  c.text("nexthop", iphlp_double::dotted(key.next_hop));
  return NO_ERROR;
}

}  // namespace

extern "C" {

DWORD WINAPI SetIpForwardEntry2(const MIB_IPFORWARD_ROW2* row) {
  Call c("SetIpForwardEntry2");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  ForwardRow key;
  if (const DWORD bad = row_key(c, *row, key)) return c.finish(bad);
  c.arg("metric", row->Metric);
  if (auto f = c.write_fault()) return c.finish(*f);
  ForwardRow changed;
  const DWORD result = qvx::model::set_forward_entry2(c.state.machine, key, row->Metric, &changed);
  if (result == NO_ERROR) c.state.journal_route(changed);
  return c.finish(result);
}

DWORD WINAPI GetIpForwardEntry2(MIB_IPFORWARD_ROW2* row) {
  Call c("GetIpForwardEntry2");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  ForwardRow key;
  if (const DWORD bad = row_key(c, *row, key)) return c.finish(bad);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  ForwardRow found;
  std::uint32_t own = 0;
  const DWORD result = qvx::model::get_forward_entry2(c.state.machine, key, found, own);
  if (result != NO_ERROR) return c.finish(result);
  row->SitePrefixLength = 0;
  row->ValidLifetime = row->PreferredLifetime = kInfinite;
  row->Metric = own;
  row->Protocol = static_cast<NL_ROUTE_PROTOCOL>(found.proto);
  row->Loopback = FALSE;
  row->AutoconfigureAddress = FALSE;
  row->Publish = FALSE;
  row->Immortal = TRUE;
  row->Age = found.age;
  row->Origin = NlroManual;
  c.arg("out_metric", own);
  return c.finish(NO_ERROR);
}

}  // extern "C"
