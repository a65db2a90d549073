#include "connect/cping.h"

#include <cstdio>

#include "widgets/ui.h"

namespace qvx {
namespace {

constexpr char kCaption[] = "ERROR";
constexpr std::uint32_t kUnexpectedNetError = 59;  // ERROR_UNEXP_NET_ERR
constexpr std::size_t kEchoReplySize = 28;
constexpr char kPayloadByte = 0x45;

}  // namespace

IcmpLibrary::~IcmpLibrary() {
  if (library_loaded_) platform.icmp.unload_library();
  if (winsock_started_) platform.sockets.cleanup();
}

bool IcmpLibrary::load_icmp() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (attempted_) return loaded_;
  // Marked before trying, so a failure is reported once and later probes fail silently.
  attempted_ = true;
  std::uint16_t version = 0;
  if (!platform.sockets.startup(1, 1, version)) {
    ui.message_box(nullptr, "WinSock版本不匹配", kCaption, widgets::kMbOk);
    return false;
  }
  winsock_started_ = true;
  if (!platform.icmp.load_library()) {
    ui.message_box(nullptr, "无法载入'ICMP.DLL'", kCaption, widgets::kMbOk);
    return false;
  }
  library_loaded_ = true;
  if (!platform.icmp.bind_entry_points()) {
    ui.message_box(nullptr, "'ICMP.DLL'中函数无效", kCaption, widgets::kMbOk);
    return false;
  }
  loaded_ = true;
  return true;
}

bool _CPING::ping(const std::string& host, ping_reply& reply, std::uint8_t ttl,
                  std::uint32_t timeout_ms, std::uint8_t data_size) {
  if (!load_icmp()) return false;
  platform::Platform& os = library_.platform;

  std::uint32_t address = os.sockets.inet_addr(host);
  if (address == platform::kInaddrNone) {
    const auto resolved = os.sockets.resolve(host);
    if (!resolved) {
      char text[512];
      std::snprintf(text, sizeof text, "无法解析主机名：%s", host.c_str());
      library_.ui.message_box(nullptr, text, kCaption, widgets::kMbOk);
      return false;
    }
    address = *resolved;
  }

  if (!os.icmp.open_handle()) {
    library_.ui.message_box(nullptr, "无效的'ICMP'句柄", kCaption, widgets::kMbOk);
    return false;
  }
  const std::string payload(data_size, kPayloadByte);
  const std::size_t buffer_size = kEchoReplySize + std::max<std::size_t>(data_size, 8);
  platform::EchoReply echo;
  const std::uint32_t replies =
      os.icmp.send_echo(address, payload, ttl, timeout_ms, buffer_size, echo);

  bool ok = false;
  if (replies == 1) {
    if (echo.status != 0) {
      os.icmp.set_last_error(echo.status);
    } else if (echo.data != payload) {
      os.icmp.set_last_error(kUnexpectedNetError);
    } else {
      ok = true;
    }
  }
  os.icmp.close_handle();
  if (ok) {
    reply.reply_address = echo.address;
    reply.round_trip_ms = echo.round_trip_ms;
  }
  return ok;
}

}  // namespace qvx
