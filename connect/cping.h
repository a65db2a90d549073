// One ICMP echo request with an exact-reply check, over the system's ICMP library, which is
// bound once per process.
#pragma once
#include <cstdint>
#include <mutex>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace qvx {

namespace widgets {
class Ui;
}

struct ping_reply {
  std::uint32_t reply_address = 0;  // network byte order
  std::uint32_t round_trip_ms = 0;
};

// The process-wide state of the ICMP library: loaded at most once; released, together with
// Windows Sockets, when the application ends.
class IcmpLibrary {
 public:
  IcmpLibrary(const platform::Platform& platform, widgets::Ui& ui) : platform(platform), ui(ui) {}
  ~IcmpLibrary();
  IcmpLibrary(const IcmpLibrary&) = delete;
  IcmpLibrary& operator=(const IcmpLibrary&) = delete;

  // Starts Windows Sockets and binds the library on the first call; every later call only
  // reports that outcome. Failures of the first call are shown in a message box.
  bool load_icmp();
  // An error box as the echo shows them: no owner, on the calling thread.
  void show_error(const std::string& text);

  platform::Platform platform;
  widgets::Ui& ui;

 private:
  bool attempt_load();

  std::mutex mutex_;  // a second thread waits for the first one's outcome
  bool attempted_ = false;
  bool loaded_ = false;
  bool sockets_started_ = false;
  bool library_loaded_ = false;
};

class _CPING {
 public:
  explicit _CPING(IcmpLibrary& library) : library_(library) {}
  bool load_icmp() { return library_.load_icmp(); }
  void show_error(const std::string& text) { library_.show_error(text); }
  // True only for exactly one reply with status 0 that echoes the data_size bytes sent;
  // reply is written only then. A failure's cause is left in the thread's last error.
  bool ping(const std::string& host, ping_reply& reply, std::uint8_t ttl, std::uint32_t timeout_ms,
            std::uint8_t data_size);

  // The two halves of ping, for callers that probe many hosts at once and show the failures
  // afterwards, in their own order: each puts the text of the box it would have shown into
  // *error instead. The library must be loaded first (load_icmp).
  std::optional<std::uint32_t> address_of(const std::string& host, std::string* error);
  bool echo(std::uint32_t address, ping_reply& reply, std::uint8_t ttl, std::uint32_t timeout_ms,
            std::uint8_t data_size, std::string* error);

 private:
  IcmpLibrary& library_;
};

}  // namespace qvx
