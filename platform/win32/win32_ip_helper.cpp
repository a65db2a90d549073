#include "platform/win32/win32_ip_helper.h"

// winsock2.h before windows.h, iphlpapi.h after both.
#include <winsock2.h>
// ws2ipdef.h before iphlpapi.h: netioapi.h declares GetIpInterfaceEntry's record only then.
#include <ws2ipdef.h>

#include <windows.h>

#include <iphlpapi.h>
#include <netioapi.h>

#include <cstddef>
#include <cstring>

#include "platform/win32/ip_helper_records.h"
#include "platform/win32/system_function.h"

namespace qvx {
namespace {

static_assert(sizeof(MIB_IPFORWARDROW) == 56, "MIB_IPFORWARDROW is 56 bytes");
static_assert(offsetof(MIB_IPFORWARDROW, dwForwardIfIndex) == 16, "interface after 4 addresses");
static_assert(offsetof(MIB_IPFORWARDROW, dwForwardMetric1) == 36, "metrics last");
static_assert(ip_records::kErrorMoreData == ERROR_MORE_DATA &&
              ip_records::kErrorNoData == ERROR_NO_DATA &&
              ip_records::kErrorInsufficientBuffer == ERROR_INSUFFICIENT_BUFFER &&
              ip_records::kErrorNotEnoughMemory == ERROR_NOT_ENOUGH_MEMORY);
// The adapter list is walked by hand inside one buffer; its records hold pointers.
constexpr bool kWin64 = sizeof(void*) == 8;
static_assert(sizeof(IP_ADDR_STRING) == (kWin64 ? 48 : 40));
static_assert(sizeof(IP_ADAPTER_INFO) == (kWin64 ? 704 : 640));
static_assert(offsetof(IP_ADAPTER_INFO, Index) == (kWin64 ? 416 : 412));
static_assert(offsetof(IP_ADAPTER_INFO, GatewayList) == (kWin64 ? 488 : 468));

// iphlpapi from the system folder (system_function.h), bound at the first call. The Vista
// functions (learn.microsoft.com, netioapi.h) are missing on XP.
struct IpHelperFunctions {
  static constexpr const wchar_t* kDll = L"iphlpapi.dll";
  win32::SystemFunction<decltype(&CreateIpForwardEntry)> create{kDll, "CreateIpForwardEntry"};
  win32::SystemFunction<decltype(&SetIpForwardEntry)> set{kDll, "SetIpForwardEntry"};
  win32::SystemFunction<decltype(&DeleteIpForwardEntry)> remove{kDll, "DeleteIpForwardEntry"};
  win32::SystemFunction<decltype(&GetIpForwardTable)> table{kDll, "GetIpForwardTable"};
  win32::SystemFunction<decltype(&GetAdaptersInfo)> adapters{kDll, "GetAdaptersInfo"};
  win32::SystemFunction<decltype(&GetIpForwardEntry2)> get2{kDll, "GetIpForwardEntry2"};
  win32::SystemFunction<decltype(&SetIpForwardEntry2)> set2{kDll, "SetIpForwardEntry2"};
  win32::SystemFunction<decltype(&GetIpInterfaceEntry)> if_entry{kDll, "GetIpInterfaceEntry"};
};

const IpHelperFunctions& iphlp() {
  static const IpHelperFunctions functions;
  return functions;
}

constexpr std::uint32_t kMissing = platform::kErrorProcNotFound;

}  // namespace

std::uint32_t Win32IpHelper::create_forward_entry(const platform::ForwardRow& r) {
  MIB_IPFORWARDROW row = ip_records::to_native_row<MIB_IPFORWARDROW>(r);
  return iphlp().create.call_or(kMissing, &row);
}

std::uint32_t Win32IpHelper::set_forward_entry(const platform::ForwardRow& r) {
  MIB_IPFORWARDROW row = ip_records::to_native_row<MIB_IPFORWARDROW>(r);
  return iphlp().set.call_or(kMissing, &row);
}

std::uint32_t Win32IpHelper::delete_forward_entry(const platform::ForwardRow& r) {
  MIB_IPFORWARDROW row = ip_records::to_native_row<MIB_IPFORWARDROW>(r);
  return iphlp().remove.call_or(kMissing, &row);
}

// SetIpForwardEntry2 and GetIpForwardEntry2 exist from Vista on (learn.microsoft.com,
// netioapi.h). DestinationPrefix, NextHop and InterfaceIndex name the row; it is read first so
// that the set keeps every other property the stack gave it.
std::uint32_t Win32IpHelper::set_route_metric2(const platform::ForwardRow& r,
                                               std::uint32_t route_metric) {
  const IpHelperFunctions& f = iphlp();
  if (!f.get2 || !f.set2) return kMissing;
  MIB_IPFORWARD_ROW2 row;
  std::memset(&row, 0, sizeof row);
  row.InterfaceIndex = r.if_index;
  row.DestinationPrefix.Prefix.Ipv4.sin_family = AF_INET;
  row.DestinationPrefix.Prefix.Ipv4.sin_addr.s_addr = r.dest;
  row.DestinationPrefix.PrefixLength = static_cast<UINT8>(__builtin_popcount(r.mask));
  row.NextHop.Ipv4.sin_family = AF_INET;
  row.NextHop.Ipv4.sin_addr.s_addr = r.next_hop;
  const std::uint32_t found = f.get2.call_or(kMissing, &row);
  if (found != NO_ERROR) return found;
  row.Metric = route_metric;
  return f.set2.call_or(kMissing, &row);
}

std::uint32_t Win32IpHelper::forward_table(std::vector<platform::ForwardRow>& out) {
  out.clear();
  std::vector<char> buffer;
  const std::uint32_t r = ip_records::read_table<ULONG>(
      buffer, sizeof(MIB_IPFORWARDTABLE), [](char* data, ULONG& size) -> std::uint32_t {
        return iphlp().table.call_or(kMissing, reinterpret_cast<MIB_IPFORWARDTABLE*>(data), &size,
                                     FALSE);
      });
  if (r != NO_ERROR) return r;
  out = ip_records::forward_rows<MIB_IPFORWARDTABLE, MIB_IPFORWARDROW>(
      buffer.data(), buffer.data() + buffer.size());
  return NO_ERROR;
}

// GetIpInterfaceEntry exists from Vista on (learn.microsoft.com, netioapi.h); Family and
// InterfaceIndex name the row.
std::uint32_t Win32IpHelper::interface_metric(std::uint32_t if_index, std::uint32_t& metric) {
  MIB_IPINTERFACE_ROW row;
  std::memset(&row, 0, sizeof row);
  row.Family = AF_INET;
  row.InterfaceIndex = if_index;
  const std::uint32_t r = iphlp().if_entry.call_or(kMissing, &row);
  if (r == NO_ERROR) metric = row.Metric;
  return r;
}

bool Win32IpHelper::adapters(std::vector<platform::Adapter>& out) {
  out.clear();
  const auto& get = iphlp().adapters;
  if (!get) return false;
  // An adapter that comes up between two calls (a dial finishing) makes the list outgrow the
  // buffer again; a few rounds are enough for any real machine.
  constexpr int kAttempts = 8;
  std::vector<char> buffer;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    ULONG size = static_cast<ULONG>(buffer.size());
    auto* info = buffer.empty() ? nullptr : reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    const DWORD r = get.call_or(DWORD{ERROR_PROC_NOT_FOUND}, info, &size);
    if (r == ERROR_SUCCESS && info) {
      out = ip_records::adapter_list<IP_ADAPTER_INFO>(buffer.data(), buffer.data() + buffer.size());
      return !out.empty();
    }
    if (r != ERROR_BUFFER_OVERFLOW || size <= buffer.size() || size > (1u << 24)) return false;
    buffer.assign(size, 0);
  }
  return false;
}

}  // namespace qvx
