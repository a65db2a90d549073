// The ICMP library "ICMP.DLL" of the system folder, bound at run time with GetProcAddress.
#pragma once
#include "platform/icmp.h"

namespace qvx {

class Win32Icmp : public platform::Icmp {
 public:
  Win32Icmp() = default;
  ~Win32Icmp() override;
  Win32Icmp(const Win32Icmp&) = delete;
  Win32Icmp& operator=(const Win32Icmp&) = delete;

  bool load_library() override;
  bool bind_entry_points() override;
  void unload_library() override;
  std::optional<platform::IcmpHandle> open_handle() override;
  void close_handle(platform::IcmpHandle handle) override;
  std::uint32_t send_echo(platform::IcmpHandle handle, std::uint32_t address,
                          const std::string& payload, std::uint8_t ttl, std::uint32_t timeout_ms,
                          std::size_t reply_buffer_size, platform::EchoReply& reply) override;
  void set_last_error(std::uint32_t code) override;
  std::uint32_t last_error() override;

 private:
  // Kept free of <windows.h> so that users may include <winsock2.h> in any order.
  void* module_ = nullptr;
  void* create_file_ = nullptr;
  void* send_echo_ = nullptr;
  void* close_handle_ = nullptr;
};

}  // namespace qvx
