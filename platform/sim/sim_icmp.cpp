#include "platform/sim/sim_icmp.h"

#include "platform/sim/sim_sockets.h"

namespace qvx::sim {
namespace {
thread_local std::uint32_t t_last_error = 0;  // per thread, like GetLastError
}

bool SimIcmp::load_library() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (library_missing_) return false;
  ++loads_;
  return true;
}

bool SimIcmp::bind_entry_points() {
  return !entry_points_missing_;
}

void SimIcmp::unload_library() {}

bool SimIcmp::open_handle() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (handle_invalid_) return false;
  ++open_handles_;
  return true;
}

void SimIcmp::close_handle() {
  std::lock_guard<std::mutex> lock(mutex_);
  --open_handles_;
}

std::uint32_t SimIcmp::send_echo(std::uint32_t address, const std::string& payload,
                                 std::uint8_t ttl, std::uint32_t timeout_ms,
                                 std::size_t reply_buffer_size, platform::EchoReply& reply) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++probes_[address];
  last_ttl_ = ttl;
  last_timeout_ = timeout_ms;
  last_buffer_ = reply_buffer_size;
  const auto it = hosts_.find(address);
  if (it == hosts_.end() || !it->second.answers) {
    t_last_error = kTimedOut;
    return 0;
  }
  const EchoBehaviour& b = it->second;
  reply.address = address;
  reply.status = b.status;
  reply.round_trip_ms = b.round_trip_ms;
  reply.data = payload;
  if (b.data_size >= 0)
    reply.data.resize(static_cast<std::size_t>(b.data_size), payload.empty() ? 'E' : payload[0]);
  if (b.corrupt_byte && !reply.data.empty()) reply.data[reply.data.size() / 2] ^= 0x01;
  return 1;
}

void SimIcmp::set_last_error(std::uint32_t code) {
  t_last_error = code;
}

std::uint32_t SimIcmp::last_error() {
  return t_last_error;
}

void SimIcmp::set_host(const std::string& dotted, EchoBehaviour behaviour) {
  std::lock_guard<std::mutex> lock(mutex_);
  hosts_[dotted_to_address(dotted)] = behaviour;
}

void SimIcmp::set_round_trip(const std::string& dotted, std::uint32_t ms) {
  EchoBehaviour b;
  b.round_trip_ms = ms;
  set_host(dotted, b);
}

int SimIcmp::probes(const std::string& dotted) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = probes_.find(dotted_to_address(dotted));
  return it == probes_.end() ? 0 : it->second;
}

int SimIcmp::total_probes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  int n = 0;
  for (const auto& p : probes_) n += p.second;
  return n;
}

}  // namespace qvx::sim
