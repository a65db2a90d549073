// The system's ICMP library, bound at run time from ICMP.DLL.
#pragma once
#include "platform/icmp.h"

namespace qvx {

class Win32Icmp : public platform::Icmp {
 public:
  bool load_library() override;
  bool bind_entry_points() override;
  void unload_library() override;
  bool open_handle() override;
  void close_handle() override;
  std::uint32_t send_echo(std::uint32_t address, const std::string& payload, std::uint8_t ttl,
                          std::uint32_t timeout_ms, std::size_t reply_buffer_size,
                          platform::EchoReply& reply) override;
  void set_last_error(std::uint32_t code) override;
  std::uint32_t last_error() override;

 private:
  void* module_ = nullptr;
  void* create_ = nullptr;
  void* send_ = nullptr;
  void* close_ = nullptr;
  void* handle_ = nullptr;
};

}  // namespace qvx
