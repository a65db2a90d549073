#include "connect/cping.h"

#include "widgets/ui.h"

namespace qvx {

namespace {

constexpr char kPayloadByte = 0x45;
constexpr std::uint32_t kErrorUnexpNetErr = 59;
// IcmpSendEcho wants room behind the reply record for the data sent and for the 8 bytes of
// an ICMP error message; Windows from Vista on refuses a smaller buffer.
constexpr std::size_t kIcmpErrorBytes = 8;

}  // namespace

IcmpLibrary::~IcmpLibrary() {
  if (library_loaded_) platform.icmp.unload_library();
  if (sockets_started_) platform.sockets.cleanup();
}

void IcmpLibrary::show_error(const std::string& text) {
  ui.message_box(nullptr, text, "ERROR", widgets::kMbOk);
}

bool IcmpLibrary::load_icmp() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (attempted_) return loaded_;
  // Marked first: a failure is reported once and later probes fail silently.
  attempted_ = true;
  loaded_ = attempt_load();
  return loaded_;
}

bool IcmpLibrary::attempt_load() {
  std::uint16_t version = 0;
  if (!platform.sockets.startup(1, 1, version)) {
    show_error("WinSock版本不匹配");
    return false;
  }
  sockets_started_ = true;
  if (!platform.icmp.load_library()) {
    show_error("无法载入'ICMP.DLL'");
    return false;
  }
  library_loaded_ = true;
  if (!platform.icmp.bind_entry_points()) {
    show_error("'ICMP.DLL'中函数无效");
    return false;
  }
  return true;
}

bool _CPING::ping(const std::string& host, ping_reply& reply, std::uint8_t ttl,
                  std::uint32_t timeout_ms, std::uint8_t data_size) {
  if (!load_icmp()) return false;
  std::string error;
  const auto address = address_of(host, &error);
  const bool ok = address && echo(*address, reply, ttl, timeout_ms, data_size, &error);
  if (!error.empty()) library_.show_error(error);
  return ok;
}

std::optional<std::uint32_t> _CPING::address_of(const std::string& host, std::string* error) {
  platform::Sockets& sockets = library_.platform.sockets;
  // An empty node address would resolve to this very machine, whose echo always wins.
  if (host.empty()) {
    *error = "无法解析主机名：";
    return std::nullopt;
  }
  const std::uint32_t address = sockets.inet_addr(host);
  if (address != platform::kInaddrNone) return address;
  const auto resolved = sockets.resolve(host);
  if (!resolved) *error = "无法解析主机名：" + host;
  return resolved;
}

bool _CPING::echo(std::uint32_t address, ping_reply& reply, std::uint8_t ttl,
                  std::uint32_t timeout_ms, std::uint8_t data_size, std::string* error) {
  platform::Icmp& icmp = library_.platform.icmp;
  const auto handle = icmp.open_handle();
  if (!handle) {
    *error = "无效的'ICMP'句柄";
    return false;
  }
  // Closed however the request ends, also when it throws.
  struct Closer {
    platform::Icmp& icmp;
    platform::IcmpHandle handle;
    ~Closer() { icmp.close_handle(handle); }
  } closer{icmp, *handle};
  const std::string payload(data_size, kPayloadByte);
  const std::size_t buffer_size = platform::kEchoReplyRecordSize + data_size + kIcmpErrorBytes;
  platform::EchoReply echo;
  const std::uint32_t replies =
      icmp.send_echo(*handle, address, payload, ttl, timeout_ms, buffer_size, echo);

  bool ok = false;
  if (replies == 1) {
    if (echo.status != 0) {
      icmp.set_last_error(echo.status);
    } else if (echo.data_size != data_size || echo.data != payload) {
      icmp.set_last_error(kErrorUnexpNetErr);
    } else {
      ok = true;
    }
  }
  if (ok) {
    reply.reply_address = echo.address;
    reply.round_trip_ms = echo.round_trip_ms;
  }
  return ok;
}

}  // namespace qvx
