// GetIpInterfaceEntry, which Windows has from Vista on; the XP build of the double leaves it
// out, as XP's iphlpapi.dll does.
// winsock2.h must come before windows.h.
#include <winsock2.h>
// ws2ipdef.h before iphlpapi.h: netioapi.h declares GetIpInterfaceEntry's record only then.
#include <ws2ipdef.h>

#include <windows.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include "iphlp_state.h"

using iphlp_double::Call;

static_assert(AF_INET == qvx::model::kAfInet && AF_INET6 == qvx::model::kAfInet6);

extern "C" {

// InterfaceLuid or InterfaceIndex names the interface; Metric is the interface metric that
// route metrics build on (qvx::model::get_ip_interface_entry has the rules).
DWORD WINAPI GetIpInterfaceEntry(PMIB_IPINTERFACE_ROW row) {
  Call c("GetIpInterfaceEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  c.arg("family", row->Family);
  c.arg("if", row->InterfaceIndex);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  std::uint32_t metric = 0;
  const DWORD result =
      qvx::model::get_ip_interface_entry(c.state.machine, row->Family, row->InterfaceIndex, metric);
  if (result != NO_ERROR) return c.finish(result);
  row->Metric = metric;
  c.arg("out_metric", metric);
  return c.finish(NO_ERROR);
}

}  // extern "C"
