// A simulated ICMP library: per-address answers set by the test, probes counted.
#pragma once
#include <map>
#include <mutex>

#include "platform/icmp.h"

namespace qvx::sim {

struct EchoBehaviour {
  bool answers = true;  // false: no reply within the timeout
  std::uint32_t round_trip_ms = 0;
  std::uint32_t status = 0;   // a non-zero IP_STATUS in the reply
  int data_size = -1;         // echoed bytes; -1 echoes the payload as sent
  bool corrupt_byte = false;  // one echoed byte differs
};

class SimIcmp : public platform::Icmp {
 public:
  static constexpr std::uint32_t kTimedOut = 11010;  // IP_REQ_TIMED_OUT

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

  // Test side. Addresses without a behaviour do not answer.
  void set_host(const std::string& dotted, EchoBehaviour behaviour);
  void set_round_trip(const std::string& dotted, std::uint32_t ms);
  void set_library_missing(bool missing) { library_missing_ = missing; }
  void set_entry_points_missing(bool missing) { entry_points_missing_ = missing; }
  void set_handle_invalid(bool invalid) { handle_invalid_ = invalid; }
  int probes(const std::string& dotted) const;
  int total_probes() const;
  int library_loads() const { return loads_; }
  int open_handles() const { return open_handles_; }
  std::uint8_t last_ttl() const { return last_ttl_; }
  std::uint32_t last_timeout() const { return last_timeout_; }
  std::size_t last_buffer_size() const { return last_buffer_; }

 private:
  mutable std::mutex mutex_;
  std::map<std::uint32_t, EchoBehaviour> hosts_;
  std::map<std::uint32_t, int> probes_;
  bool library_missing_ = false;
  bool entry_points_missing_ = false;
  bool handle_invalid_ = false;
  int loads_ = 0;
  int open_handles_ = 0;
  std::uint8_t last_ttl_ = 0;
  std::uint32_t last_timeout_ = 0;
  std::size_t last_buffer_ = 0;
};

}  // namespace qvx::sim
