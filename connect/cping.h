// One ICMP echo request with an exact-reply check, over the system's ICMP library, which is
// bound once per process.
#pragma once
#include <cstdint>
#include <mutex>
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

// The process-wide state of the ICMP library: loaded at most once.
class IcmpLibrary {
 public:
  IcmpLibrary(const platform::Platform& platform, widgets::Ui& ui) : platform(platform), ui(ui) {}
  ~IcmpLibrary();
  bool load_icmp();

  platform::Platform platform;
  widgets::Ui& ui;

 private:
  std::mutex mutex_;
  bool attempted_ = false;
  bool loaded_ = false;
  bool winsock_started_ = false;
  bool library_loaded_ = false;
};

class _CPING {
 public:
  explicit _CPING(IcmpLibrary& library) : library_(library) {}
  bool load_icmp() { return library_.load_icmp(); }
  bool ping(const std::string& host, ping_reply& reply, std::uint8_t ttl,
            std::uint32_t timeout_ms, std::uint8_t data_size);

 private:
  IcmpLibrary& library_;
};

}  // namespace qvx
