#include "platform/win32/win32_ras.h"

#include <windows.h>

#include <algorithm>
#include <cwchar>

#include "platform/win32/ras_api.h"
#include "platform/win32/system_function.h"
#include "platform/win32/win32_text.h"

namespace qvx::win32 {

namespace {

// A zero-filled block of the process heap, released on every way out of the scope.
class HeapBlock {
 public:
  explicit HeapBlock(std::size_t size)
      : size_(size), data_(HeapAlloc(GetProcessHeap(), HEAP_ZERO_MEMORY, size)) {}
  ~HeapBlock() {
    if (data_) HeapFree(GetProcessHeap(), 0, data_);
  }
  HeapBlock(const HeapBlock&) = delete;
  HeapBlock& operator=(const HeapBlock&) = delete;

  explicit operator bool() const { return data_ != nullptr; }
  std::size_t size() const { return size_; }
  template <typename T>
  T* as() const {
    return static_cast<T*>(data_);
  }

 private:
  std::size_t size_;
  void* data_;
};

// The client's text is GBK; RAS gets and gives UTF-16 (the W functions), converted here and
// only here, so no name goes through the system's ANSI code page.
template <std::size_t N>
void put_text(wchar_t (&dest)[N], const std::string& gbk) {
  const std::wstring src = wide_from_gbk(gbk);
  const std::size_t n = std::min(src.size(), N - 1);
  std::wmemcpy(dest, src.data(), n);
  dest[n] = L'\0';
}

template <std::size_t N>
std::string get_text(const wchar_t (&src)[N]) {
  return gbk_from_wide(std::wstring(src, wcsnlen(src, N)));
}

HANDLE to_handle(platform::RasHandle h) {
  return reinterpret_cast<HANDLE>(h);
}

// A listing that still does not fit after this many blocks of the size RAS asked for is given
// up as "buffer too small".
constexpr int kListingAttempts = 8;

// How many records a listing may be read for: what RAS reported, but never more than the
// memory that holds them.
std::size_t readable(DWORD reported, std::size_t bytes, std::size_t record) {
  return std::min<std::size_t>(reported, bytes / record);
}

// rasapi32 from the system folder (system_function.h), bound at the first call.
struct RasFunctions {
  static constexpr const wchar_t* kDll = L"rasapi32.dll";
  SystemFunction<decltype(&RasGetEntryPropertiesW)> get_entry{kDll, "RasGetEntryPropertiesW"};
  SystemFunction<decltype(&RasSetEntryPropertiesW)> set_entry{kDll, "RasSetEntryPropertiesW"};
  SystemFunction<decltype(&RasDialW)> dial{kDll, "RasDialW"};
  SystemFunction<decltype(&RasHangUpW)> hang_up{kDll, "RasHangUpW"};
  SystemFunction<decltype(&RasEnumConnectionsW)> connections{kDll, "RasEnumConnectionsW"};
  SystemFunction<decltype(&RasEnumEntriesW)> entries{kDll, "RasEnumEntriesW"};
  SystemFunction<decltype(&RasDeleteEntryW)> delete_entry{kDll, "RasDeleteEntryW"};
  SystemFunction<decltype(&RasGetConnectStatusW)> status{kDll, "RasGetConnectStatusW"};
  SystemFunction<decltype(&RasGetConnectionStatistics)> statistics{kDll,
                                                                   "RasGetConnectionStatistics"};
  SystemFunction<decltype(&RasGetProjectionInfoW)> projection{kDll, "RasGetProjectionInfoW"};
};

const RasFunctions& ras() {
  static const RasFunctions functions;
  return functions;
}

// What a RAS call returns where the system lacks rasapi32 or the function.
constexpr DWORD kMissing = ERROR_PROC_NOT_FOUND;

}  // namespace

std::uint32_t Win32Ras::entry_size(std::uint32_t& size) {
  DWORD bytes = 0;
  const DWORD r =
      ras().get_entry.call_or(kMissing, nullptr, nullptr, nullptr, &bytes, nullptr, nullptr);
  size = bytes;
  return r;
}

std::uint32_t Win32Ras::set_entry(const std::string& name, const platform::RasEntry& entry,
                                  std::uint32_t entry_size) {
  // The record is entry_size bytes; the block is never smaller than the members we write,
  // whatever size an older (or a stub) RAS reported.
  HeapBlock block(std::max<std::size_t>(entry_size, sizeof(RasEntryHeadW)));
  if (!block) return ERROR_NOT_ENOUGH_MEMORY;
  RasEntryHeadW* e = block.as<RasEntryHeadW>();
  e->dwSize = entry_size;
  e->dwfOptions = entry.options;
  put_text(e->szLocalPhoneNumber, entry.phone_number);
  e->dwfNetProtocols = entry.net_protocols;
  e->dwFramingProtocol = entry.framing_protocol;
  put_text(e->szDeviceType, entry.device_type);
  put_text(e->szDeviceName, entry.device_name);
  e->dwDialMode = entry.dial_mode;
  e->dwType = entry.type;
  e->dwEncryptionType = entry.encryption_type;
  e->dwVpnStrategy = entry.vpn_strategy;
  e->dwfOptions2 = entry.options2;
  return ras().set_entry.call_or(kMissing, nullptr, wide_from_gbk(name).c_str(), e, entry_size,
                                 nullptr, 0);
}

std::uint32_t Win32Ras::dial(const std::string& entry_name, const std::string& user,
                             const std::string& password, platform::RasHandle& handle) {
  RasDialParamsW p{};
  p.dwSize = sizeof(RasDialParamsW);
  put_text(p.szEntryName, entry_name);
  put_text(p.szUserName, user);
  put_text(p.szPassword, password);
  HANDLE connection = nullptr;
  const DWORD r = ras().dial.call_or(kMissing, nullptr, nullptr, &p, 0, nullptr, &connection);
  SecureZeroMemory(p.szPassword, sizeof p.szPassword);
  handle = reinterpret_cast<platform::RasHandle>(connection);
  return r;
}

std::uint32_t Win32Ras::hang_up(platform::RasHandle handle) {
  return ras().hang_up.call_or(kMissing, to_handle(handle));
}

std::uint32_t Win32Ras::connections(std::vector<platform::RasConnection>& out) {
  out.clear();
  const auto take = [&out](const RasConnW* records, DWORD count, std::size_t bytes) {
    for (std::size_t i = 0; i < readable(count, bytes, sizeof(RasConnW)); ++i) {
      out.push_back({records[i].hrasconn, get_text(records[i].szEntryName)});
    }
  };
  RasConnW one{};
  one.dwSize = sizeof(RasConnW);
  DWORD bytes = sizeof(RasConnW), count = 0;
  DWORD r = ras().connections.call_or(kMissing, &one, &bytes, &count);
  if (r != platform::kRasBufferTooSmall) {
    take(&one, count, sizeof one);
    return r;
  }
  // A connection that comes up between two calls makes the list outgrow the block again.
  for (int attempt = 0; attempt < kListingAttempts; ++attempt) {
    HeapBlock block(std::max<DWORD>(bytes, sizeof(RasConnW)));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    block.as<RasConnW>()->dwSize = sizeof(RasConnW);
    bytes = static_cast<DWORD>(block.size());
    count = 0;
    r = ras().connections.call_or(kMissing, block.as<RasConnW>(), &bytes, &count);
    if (r == platform::kRasBufferTooSmall) continue;
    take(block.as<RasConnW>(), count, block.size());
    return r;
  }
  return r;
}

std::uint32_t Win32Ras::entries(bool first_call_with_buffer, std::vector<std::string>& out) {
  out.clear();
  RasEntryNameW one{};
  one.dwSize = sizeof(RasEntryNameW);
  DWORD bytes = 0, count = 0;
  DWORD r = ras().entries.call_or(kMissing, nullptr, nullptr,
                                  first_call_with_buffer ? &one : nullptr, &bytes, &count);
  if (r != platform::kRasBufferTooSmall) return r;  // told of no room, nothing to read

  // An entry written between two calls makes the list outgrow the block again.
  for (int attempt = 0; attempt < kListingAttempts; ++attempt) {
    HeapBlock block(std::max<DWORD>(bytes, sizeof(RasEntryNameW)));
    if (!block) return ERROR_NOT_ENOUGH_MEMORY;
    RasEntryNameW* records = block.as<RasEntryNameW>();
    records->dwSize = sizeof(RasEntryNameW);
    bytes = static_cast<DWORD>(block.size());
    count = 0;
    r = ras().entries.call_or(kMissing, nullptr, nullptr, records, &bytes, &count);
    if (r == platform::kRasBufferTooSmall) continue;
    if (r != 0) return r;
    const std::size_t n = readable(count, block.size(), sizeof(RasEntryNameW));
    for (std::size_t i = 0; i < n; ++i) out.push_back(get_text(records[i].szEntryName));
    return 0;
  }
  return r;
}

std::uint32_t Win32Ras::delete_entry(const std::string& name) {
  return ras().delete_entry.call_or(kMissing, nullptr, wide_from_gbk(name).c_str());
}

std::uint32_t Win32Ras::connect_status(platform::RasHandle handle, std::uint32_t& state) {
  RasConnStatusW s{};
  s.dwSize = sizeof(RasConnStatusW);
  const DWORD r = ras().status.call_or(kMissing, to_handle(handle), &s);
  if (r == 0) state = s.rasconnstate;
  return r;
}

std::uint32_t Win32Ras::statistics(platform::RasHandle handle, std::uint32_t& received,
                                   std::uint32_t& sent) {
  RasStats s{};
  s.dwSize = sizeof(RasStats);
  const DWORD r = ras().statistics.call_or(kMissing, to_handle(handle), &s);
  if (r == 0) {
    received = s.dwBytesRcved;
    sent = s.dwBytesXmited;
  }
  return r;
}

// RasGetProjectionInfoW (learn.microsoft.com, ras.h): RASP_PppIp fills a RASPPPIPW whose dwSize
// names the version; dwError is the IPCP negotiation's own result.
std::uint32_t Win32Ras::ip_projection(platform::RasHandle handle, std::string& address,
                                      std::string& server) {
  RasPppIpW ip{};
  ip.dwSize = sizeof(RasPppIpW);
  DWORD size = sizeof(RasPppIpW);
  const DWORD r = ras().projection.call_or(kMissing, to_handle(handle), kRaspPppIp, &ip, &size);
  if (r != 0) return r;
  if (ip.dwError != 0) return ip.dwError;
  address = get_text(ip.szIpAddress);
  server = get_text(ip.szServerIpAddress);
  return 0;
}

}  // namespace qvx::win32
