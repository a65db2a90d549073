#include "platform/win32/win32_icmp.h"

#include <windows.h>

#include <ipexport.h>

#include <algorithm>
#include <cstddef>
#include <vector>

#include "platform/win32/system_library.h"

namespace qvx {

// The pointer members make both records longer on x64.
constexpr bool kWin64 = sizeof(void*) == 8;
static_assert(sizeof(IP_OPTION_INFORMATION) == (kWin64 ? 16 : 8));
static_assert(sizeof(ICMP_ECHO_REPLY) == (kWin64 ? 40 : 28));
static_assert(offsetof(ICMP_ECHO_REPLY, Data) == 16);
static_assert(offsetof(ICMP_ECHO_REPLY, Options) == (kWin64 ? 24 : 20));
// Callers size reply buffers by the 32-bit record; the difference is added here.
static_assert(sizeof(ICMP_ECHO_REPLY) >= platform::kEchoReplyRecordSize);
constexpr std::size_t kReplyGrowth = sizeof(ICMP_ECHO_REPLY) - platform::kEchoReplyRecordSize;

namespace {

using CreateFileFn = HANDLE(WINAPI*)();
using SendEchoFn = DWORD(WINAPI*)(HANDLE, IPAddr, LPVOID, WORD, PIP_OPTION_INFORMATION, LPVOID,
                                  DWORD, DWORD);
using CloseHandleFn = BOOL(WINAPI*)(HANDLE);

template <typename Fn>
Fn as(void* entry) {
  return reinterpret_cast<Fn>(entry);
}

void* entry(void* module, const char* name) {
  return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(module), name));
}

}  // namespace

Win32Icmp::~Win32Icmp() {
  unload_library();
}

bool Win32Icmp::load_library() {
  // ICMP.DLL forwards its functions to iphlpapi, which the loader then finds by name: along the
  // search path, unless a module of that name is loaded already. Loaded first from the system
  // folder, it is the one the forwarders reach, also on a Windows 7 without
  // SetDefaultDllDirectories (see dll_search.h). It stays loaded.
  static const HMODULE forward_target = win32::load_system_library(L"iphlpapi.dll");
  (void)forward_target;
  if (!module_) module_ = win32::load_system_library(L"ICMP.DLL");
  return module_ != nullptr;
}

bool Win32Icmp::bind_entry_points() {
  if (!module_) return false;
  create_file_ = entry(module_, "IcmpCreateFile");
  send_echo_ = entry(module_, "IcmpSendEcho");
  close_handle_ = entry(module_, "IcmpCloseHandle");
  return create_file_ && send_echo_ && close_handle_;
}

void Win32Icmp::unload_library() {
  create_file_ = send_echo_ = close_handle_ = nullptr;
  if (module_) FreeLibrary(static_cast<HMODULE>(module_));
  module_ = nullptr;
}

std::optional<platform::IcmpHandle> Win32Icmp::open_handle() {
  if (!create_file_) return std::nullopt;
  const HANDLE handle = as<CreateFileFn>(create_file_)();
  if (handle == INVALID_HANDLE_VALUE || handle == nullptr) return std::nullopt;
  return reinterpret_cast<platform::IcmpHandle>(handle);
}

void Win32Icmp::close_handle(platform::IcmpHandle handle) {
  if (close_handle_) as<CloseHandleFn>(close_handle_)(reinterpret_cast<HANDLE>(handle));
}

std::uint32_t Win32Icmp::send_echo(platform::IcmpHandle handle, std::uint32_t address,
                                   const std::string& payload, std::uint8_t ttl,
                                   std::uint32_t timeout_ms, std::size_t reply_buffer_size,
                                   platform::EchoReply& reply) {
  if (!send_echo_) {
    SetLastError(ERROR_INVALID_FUNCTION);
    return 0;
  }
  IP_OPTION_INFORMATION options{};
  options.Ttl = ttl;
  std::string request = payload;
  const std::size_t native_size = reply_buffer_size + kReplyGrowth;
  std::vector<unsigned char> buffer(std::max(native_size, sizeof(ICMP_ECHO_REPLY)));
  const DWORD replies = as<SendEchoFn>(send_echo_)(
      reinterpret_cast<HANDLE>(handle), address, request.data(), static_cast<WORD>(request.size()),
      &options, buffer.data(), static_cast<DWORD>(native_size), timeout_ms);
  if (replies == 0) return 0;

  const auto* echo = reinterpret_cast<const ICMP_ECHO_REPLY*>(buffer.data());
  reply.address = echo->Address;
  reply.status = echo->Status;
  reply.round_trip_ms = echo->RoundTripTime;
  reply.data_size = echo->DataSize;
  reply.data.clear();
  // Only bytes that really lie inside our buffer are taken, whatever the record claims.
  const unsigned char* end = buffer.data() + native_size;
  const auto* data = static_cast<const unsigned char*>(echo->Data);
  if (data >= buffer.data() + sizeof(ICMP_ECHO_REPLY) && data <= end) {
    const auto available = static_cast<std::size_t>(end - data);
    reply.data.assign(reinterpret_cast<const char*>(data),
                      std::min<std::size_t>(available, echo->DataSize));
  }
  return replies;
}

void Win32Icmp::set_last_error(std::uint32_t code) {
  SetLastError(code);
}

std::uint32_t Win32Icmp::last_error() {
  return GetLastError();
}

}  // namespace qvx
