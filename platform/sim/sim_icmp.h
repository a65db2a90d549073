// A simulated ICMP library over the model's echo rules (platform/sim/model/icmp_echo.h).
// Every host answers as a test sets it; hosts left unset never answer. Library, entry points
// and handle can be made to fail, and every echo request is recorded.
#pragma once
#include <cstdint>
#include <deque>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/icmp.h"
#include "platform/sim/model/icmp_echo.h"
#include "platform/sim/sim_profile.h"

namespace qvx::sim {

using model::kErrorInsufficientBuffer;
using model::kErrorInvalidHandle;
using model::kIpBufTooSmall;
using model::kIpReqTimedOut;

class SimIcmp : public platform::Icmp {
 public:
  struct Host {
    std::uint32_t round_trip_ms = 0;         // above the request's timeout the request times out
    bool lost = false;                       // no reply: the request times out
    int lost_next = 0;                       // only this many of the next requests get no reply
    std::uint32_t status = 0;                // a non-zero status comes back without data
    std::uint32_t replies = 1;               // how many replies IcmpSendEcho reports
    std::optional<std::uint32_t> data_size;  // echoes this many bytes instead of the payload's
    std::optional<std::size_t> wrong_byte;   // this byte of the echo comes back altered
  };

  struct Request {
    std::uint32_t address = 0;
    std::string payload;
    std::uint8_t ttl = 0;
    std::uint32_t timeout_ms = 0;
    std::size_t reply_buffer_size = 0;
  };

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

  // The smallest reply buffer IcmpSendEcho takes for a request of payload_size bytes.
  static std::size_t minimum_reply_buffer(WindowsProfile profile, std::size_t payload_size);

  // Set before the requests.
  WindowsProfile profile = WindowsProfile::VistaAndLater;

  // Test side; addresses are given as text for inet_addr.
  void set_host(const std::string& address, const Host& host);
  void set_round_trip(const std::string& address, std::uint32_t round_trip_ms);
  void lose(const std::string& address);
  // The next requests to the address, one entry each: a round trip, or nothing for a request
  // that gets no reply. Once they are used up the host answers as set.
  void script(const std::string& address, const std::vector<std::optional<std::uint32_t>>& next);
  // Makes every request take as long as it would on a network: its round trip, or the whole
  // timeout when no reply comes. Requests overlap as they would.
  void take_real_time() { set_flag(real_time_); }
  void make_unloadable() { set_flag(unloadable_); }
  void remove_entry_points() { set_flag(no_entry_points_); }
  void invalidate_handles() { set_flag(invalid_handles_); }
  // The next echo request throws after its handle was opened (a fault no status describes).
  void throw_next() { set_flag(throw_next_); }

  int probes(const std::string& address) const;
  int total_probes() const;
  std::vector<Request> requests() const;
  // Of the last request made (0 before any).
  std::uint8_t last_ttl() const;
  std::uint32_t last_timeout() const;
  std::size_t last_buffer_size() const;
  int loads() const;  // load_library calls
  int unloads() const;
  int open_handles() const;  // opened and not yet closed

 private:
  void set_flag(bool& flag);
  Host take_host(std::uint32_t address);
  static model::EchoAnswer answer_of(const Host& host, const std::string& payload);

  mutable std::mutex mutex_;
  std::map<std::uint32_t, Host> hosts_;
  std::map<std::uint32_t, std::deque<std::optional<std::uint32_t>>> scripts_;
  std::vector<Request> requests_;
  std::map<std::thread::id, std::uint32_t> last_errors_;
  model::IcmpHandles handles_;
  bool unloadable_ = false, no_entry_points_ = false, invalid_handles_ = false, real_time_ = false,
       throw_next_ = false;
  bool loaded_ = false, bound_ = false;
  int loads_ = 0, unloads_ = 0;
};

}  // namespace qvx::sim
