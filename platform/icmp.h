// The system's ICMP library, bound at run time.
#pragma once
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>

namespace qvx::platform {

using IcmpHandle = std::uintptr_t;

// Reply buffers are sized in units of the 32-bit ICMP_ECHO_REPLY; an implementation whose
// record is longer grows the buffer by the difference.
constexpr std::size_t kEchoReplyRecordSize = 28;

struct EchoReply {
  std::uint32_t address = 0;  // network byte order
  std::uint32_t status = 0;
  std::uint32_t round_trip_ms = 0;
  std::uint32_t data_size = 0;  // as the reply states it
  std::string data;             // the echoed bytes that lie inside the reply buffer
};

class Icmp {
 public:
  virtual ~Icmp() = default;
  virtual bool load_library() = 0;       // "ICMP.DLL" of the system folder
  virtual bool bind_entry_points() = 0;  // IcmpCreateFile, IcmpSendEcho, IcmpCloseHandle
  virtual void unload_library() = 0;
  // IcmpCreateFile; nothing for an invalid handle.
  virtual std::optional<IcmpHandle> open_handle() = 0;
  virtual void close_handle(IcmpHandle handle) = 0;
  // IcmpSendEcho with options that carry only the TTL; returns the number of replies (0 when
  // none came back, with the last error left as the system set it) and fills reply with the
  // first one.
  virtual std::uint32_t send_echo(IcmpHandle handle, std::uint32_t address,
                                  const std::string& payload, std::uint8_t ttl,
                                  std::uint32_t timeout_ms, std::size_t reply_buffer_size,
                                  EchoReply& reply) = 0;
  // The calling thread's last-error value (SetLastError / GetLastError).
  virtual void set_last_error(std::uint32_t code) = 0;
  virtual std::uint32_t last_error() = 0;
};

}  // namespace qvx::platform
