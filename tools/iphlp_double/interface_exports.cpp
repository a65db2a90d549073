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

extern "C" {

// GetIpInterfaceEntry (learn.microsoft.com, netioapi.h): Family must be AF_INET or AF_INET6
// and InterfaceLuid or InterfaceIndex must name the interface; an unknown one is
// ERROR_FILE_NOT_FOUND. Metric is the interface metric that route metrics build on.
DWORD WINAPI GetIpInterfaceEntry(PMIB_IPINTERFACE_ROW row) {
  Call c("GetIpInterfaceEntry");
  if (!row) return c.finish(ERROR_INVALID_PARAMETER);
  c.arg("family", row->Family);
  c.arg("if", row->InterfaceIndex);
  if (auto f = c.state.take_fault(c.function)) return c.finish(*f);
  if (row->Family != AF_INET && row->Family != AF_INET6) return c.finish(ERROR_INVALID_PARAMETER);
  const auto* a = c.state.adapter(row->InterfaceIndex);
  if (!a) return c.finish(ERROR_FILE_NOT_FOUND);
  row->Metric = a->metric;
  c.arg("out_metric", a->metric);
  return c.finish(NO_ERROR);
}

}  // extern "C"
