#include "platform/win32/win32_ip_helper.h"

#include <iphlpapi.h>
#include <windows.h>
#include <winsock2.h>

#include <cstddef>
#include <cstring>

namespace qvx {
namespace {

static_assert(sizeof(MIB_IPFORWARDROW) == 56, "MIB_IPFORWARDROW is 56 bytes");
// The adapter list is walked by hand inside one buffer; its records hold pointers.
constexpr bool kWin64 = sizeof(void*) == 8;
static_assert(sizeof(IP_ADDR_STRING) == (kWin64 ? 48 : 40));
static_assert(sizeof(IP_ADAPTER_INFO) == (kWin64 ? 704 : 640));
static_assert(offsetof(IP_ADAPTER_INFO, Index) == (kWin64 ? 416 : 412));
static_assert(offsetof(IP_ADAPTER_INFO, GatewayList) == (kWin64 ? 488 : 468));

MIB_IPFORWARDROW to_native(const platform::ForwardRow& r) {
  MIB_IPFORWARDROW row;
  std::memset(&row, 0, sizeof row);
  row.dwForwardDest = r.dest;
  row.dwForwardMask = r.mask;
  row.dwForwardPolicy = r.policy;
  row.dwForwardNextHop = r.next_hop;
  row.dwForwardIfIndex = r.if_index;
  row.dwForwardType = r.type;
  row.dwForwardProto = r.proto;
  row.dwForwardAge = r.age;
  row.dwForwardNextHopAS = r.next_hop_as;
  row.dwForwardMetric1 = r.metric1;
  row.dwForwardMetric2 = r.metric2;
  row.dwForwardMetric3 = r.metric3;
  row.dwForwardMetric4 = r.metric4;
  row.dwForwardMetric5 = r.metric5;
  return row;
}

// A chain of address strings, walked without trusting its length or its links.
std::vector<std::string> chain(const IP_ADDR_STRING* entry, const char* begin, const char* end) {
  std::vector<std::string> out;
  for (int n = 0; entry && n < 64; ++n) {
    const char* p = reinterpret_cast<const char*>(entry);
    if (p < begin || p + sizeof(IP_ADDR_STRING) > end) break;
    out.emplace_back(entry->IpAddress.String,
                     strnlen(entry->IpAddress.String, sizeof entry->IpAddress.String));
    entry = entry->Next;
  }
  return out;
}

}  // namespace

std::uint32_t Win32IpHelper::best_interface(std::uint32_t dest, std::uint32_t& if_index) {
  DWORD index = 0;
  const DWORD result = GetBestInterface(dest, &index);
  if (result == NO_ERROR) if_index = index;
  return result;
}

std::uint32_t Win32IpHelper::create_forward_entry(const platform::ForwardRow& r) {
  MIB_IPFORWARDROW row = to_native(r);
  return CreateIpForwardEntry(&row);
}

std::uint32_t Win32IpHelper::set_forward_entry(const platform::ForwardRow& r) {
  MIB_IPFORWARDROW row = to_native(r);
  return SetIpForwardEntry(&row);
}

bool Win32IpHelper::adapters(std::vector<platform::Adapter>& out) {
  out.clear();
  // Bound on every call; the library stays loaded.
  HMODULE library = LoadLibraryA("iphlpapi.dll");
  if (!library) return false;
  using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
  auto get = reinterpret_cast<GetAdaptersInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "GetAdaptersInfo")));
  if (!get) return false;
  ULONG size = 0;
  get(nullptr, &size);
  if (size == 0 || size > (1u << 24)) return false;
  std::vector<char> buffer(size);
  auto* first = reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
  if (get(first, &size) != ERROR_SUCCESS) return false;
  const char* begin = buffer.data();
  const char* end = begin + buffer.size();
  const IP_ADAPTER_INFO* adapter = first;
  for (int n = 0; adapter && n < 256; ++n) {
    const char* p = reinterpret_cast<const char*>(adapter);
    if (p < begin || p + sizeof(IP_ADAPTER_INFO) > end) break;
    out.push_back({adapter->Index, chain(&adapter->IpAddressList, begin, end),
                   chain(&adapter->GatewayList, begin, end)});
    adapter = adapter->Next;
  }
  return !out.empty();
}

}  // namespace qvx
