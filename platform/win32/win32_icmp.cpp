#include "platform/win32/win32_icmp.h"

#include <windows.h>

#include <cstring>
#include <vector>

namespace qvx {
namespace {

// The records of the ICMP library for 32-bit Windows.
struct IpOptionInformation {
  UCHAR ttl;
  UCHAR tos;
  UCHAR flags;
  UCHAR options_size;
  UCHAR* options_data;
};
static_assert(sizeof(IpOptionInformation) == 8, "IP_OPTION_INFORMATION is 8 bytes");

struct IcmpEchoReply {
  ULONG address;
  ULONG status;
  ULONG round_trip_time;
  USHORT data_size;
  USHORT reserved;
  void* data;
  IpOptionInformation options;
};
static_assert(sizeof(IcmpEchoReply) == 28, "ICMP_ECHO_REPLY is 28 bytes");

using CreateFn = HANDLE(WINAPI*)();
using SendFn = DWORD(WINAPI*)(HANDLE, ULONG, void*, WORD, IpOptionInformation*, void*, DWORD,
                              DWORD);
using CloseFn = BOOL(WINAPI*)(HANDLE);

}  // namespace

bool Win32Icmp::load_library() {
  module_ = reinterpret_cast<void*>(LoadLibraryA("ICMP.DLL"));
  return module_ != nullptr;
}

bool Win32Icmp::bind_entry_points() {
  HMODULE module = static_cast<HMODULE>(module_);
  create_ = reinterpret_cast<void*>(GetProcAddress(module, "IcmpCreateFile"));
  send_ = reinterpret_cast<void*>(GetProcAddress(module, "IcmpSendEcho"));
  close_ = reinterpret_cast<void*>(GetProcAddress(module, "IcmpCloseHandle"));
  return create_ && send_ && close_;
}

void Win32Icmp::unload_library() {
  if (module_) FreeLibrary(static_cast<HMODULE>(module_));
  module_ = create_ = send_ = close_ = nullptr;
}

bool Win32Icmp::open_handle() {
  HANDLE h = reinterpret_cast<CreateFn>(create_)();
  handle_ = h;
  return h != INVALID_HANDLE_VALUE && h != nullptr;
}

void Win32Icmp::close_handle() {
  if (handle_ && handle_ != INVALID_HANDLE_VALUE) reinterpret_cast<CloseFn>(close_)(handle_);
  handle_ = nullptr;
}

std::uint32_t Win32Icmp::send_echo(std::uint32_t address, const std::string& payload,
                                   std::uint8_t ttl, std::uint32_t timeout_ms,
                                   std::size_t reply_buffer_size, platform::EchoReply& reply) {
  IpOptionInformation options{};
  options.ttl = ttl;
  std::vector<unsigned char> request(payload.begin(), payload.end());
  std::vector<unsigned char> buffer(std::max(reply_buffer_size, sizeof(IcmpEchoReply) + 8));
  const DWORD count =
      reinterpret_cast<SendFn>(send_)(handle_, address, request.empty() ? nullptr : request.data(),
                                      static_cast<WORD>(request.size()), &options, buffer.data(),
                                      static_cast<DWORD>(buffer.size()), timeout_ms);
  if (count == 0) return 0;
  IcmpEchoReply echo;
  std::memcpy(&echo, buffer.data(), sizeof echo);
  reply.address = echo.address;
  reply.status = echo.status;
  reply.round_trip_ms = echo.round_trip_time;
  reply.data.clear();
  // The echoed data lies inside our buffer; never read past it whatever the reply claims.
  const auto* base = buffer.data();
  const auto* data = static_cast<const unsigned char*>(echo.data);
  if (data >= base && data <= base + buffer.size()) {
    const std::size_t room = static_cast<std::size_t>(base + buffer.size() - data);
    reply.data.assign(reinterpret_cast<const char*>(data),
                      std::min<std::size_t>(echo.data_size, room));
  }
  return count;
}

void Win32Icmp::set_last_error(std::uint32_t code) {
  SetLastError(code);
}

std::uint32_t Win32Icmp::last_error() {
  return GetLastError();
}

}  // namespace qvx
