#include "platform/win32/win32_ip_helper.h"

// winsock2.h before windows.h, iphlpapi.h after both.
#include <winsock2.h>

#include <windows.h>

#include <iphlpapi.h>

#include <cstddef>

#include "platform/win32/ip_helper_records.h"
#include "platform/win32/system_library.h"

namespace qvx {
namespace {

static_assert(sizeof(MIB_IPFORWARDROW) == 56, "MIB_IPFORWARDROW is 56 bytes");
static_assert(offsetof(MIB_IPFORWARDROW, dwForwardIfIndex) == 16, "interface after 4 addresses");
static_assert(offsetof(MIB_IPFORWARDROW, dwForwardMetric1) == 36, "metrics last");
// The adapter list is walked by hand inside one buffer; its records hold pointers.
constexpr bool kWin64 = sizeof(void*) == 8;
static_assert(sizeof(IP_ADDR_STRING) == (kWin64 ? 48 : 40));
static_assert(sizeof(IP_ADAPTER_INFO) == (kWin64 ? 704 : 640));
static_assert(offsetof(IP_ADAPTER_INFO, Index) == (kWin64 ? 416 : 412));
static_assert(offsetof(IP_ADAPTER_INFO, GatewayList) == (kWin64 ? 488 : 468));

}  // namespace

std::uint32_t Win32IpHelper::best_interface(std::uint32_t dest, std::uint32_t& if_index) {
  DWORD index = 0;
  const DWORD result = GetBestInterface(dest, &index);
  if (result == NO_ERROR) if_index = index;
  return result;
}

std::uint32_t Win32IpHelper::create_forward_entry(const platform::ForwardRow& r) {
  MIB_IPFORWARDROW row = ip_records::to_native_row<MIB_IPFORWARDROW>(r);
  return CreateIpForwardEntry(&row);
}

std::uint32_t Win32IpHelper::set_forward_entry(const platform::ForwardRow& r) {
  MIB_IPFORWARDROW row = ip_records::to_native_row<MIB_IPFORWARDROW>(r);
  return SetIpForwardEntry(&row);
}

bool Win32IpHelper::adapters(std::vector<platform::Adapter>& out) {
  out.clear();
  // Bound on every call; the library stays loaded.
  HMODULE library = win32::load_system_library(L"iphlpapi.dll");
  if (!library) return false;
  using GetAdaptersInfoFn = DWORD(WINAPI*)(PIP_ADAPTER_INFO, PULONG);
  auto get = reinterpret_cast<GetAdaptersInfoFn>(
      reinterpret_cast<void*>(GetProcAddress(library, "GetAdaptersInfo")));
  if (!get) return false;
  // An adapter that comes up between two calls (a dial finishing) makes the list outgrow the
  // buffer again; a few rounds are enough for any real machine.
  constexpr int kAttempts = 8;
  std::vector<char> buffer;
  for (int attempt = 0; attempt < kAttempts; ++attempt) {
    ULONG size = static_cast<ULONG>(buffer.size());
    auto* info = buffer.empty() ? nullptr : reinterpret_cast<IP_ADAPTER_INFO*>(buffer.data());
    const DWORD r = get(info, &size);
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
