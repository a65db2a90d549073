#include "platform/sim/sim_icmp.h"

#include <algorithm>
#include <chrono>
#include <cstring>
#include <stdexcept>

#include "platform/sim/sim_sockets.h"

namespace qvx::sim {

namespace {

// The 32-bit reply record; callers size their buffers by it.
constexpr std::size_t kRecord = platform::kEchoReplyRecordSize;
constexpr std::size_t kIcmpErrorBytes = 8;

}  // namespace

// "IcmpSendEcho function (icmpapi.h)", learn.microsoft.com: the reply buffer holds at least one
// ICMP_ECHO_REPLY plus RequestSize bytes of data, and 8 bytes more for an ICMP error message;
// a smaller one fails with ERROR_INSUFFICIENT_BUFFER. The Windows CE / XP-era page of the same
// function asks only for the record and the 8 bytes.
std::size_t SimIcmp::minimum_reply_buffer(WindowsProfile profile, std::size_t payload_size) {
  if (profile == WindowsProfile::XpLike) return kRecord + kIcmpErrorBytes;
  return kRecord + payload_size + kIcmpErrorBytes;
}

bool SimIcmp::load_library() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++loads_;
  loaded_ = !unloadable_;
  return loaded_;
}

bool SimIcmp::bind_entry_points() {
  std::lock_guard<std::mutex> lock(mutex_);
  bound_ = loaded_ && !no_entry_points_;
  return bound_;
}

void SimIcmp::unload_library() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++unloads_;
  loaded_ = bound_ = false;
}

std::optional<platform::IcmpHandle> SimIcmp::open_handle() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!bound_ || invalid_handles_) return std::nullopt;
  const platform::IcmpHandle handle = next_handle_++;
  open_.insert(handle);
  return handle;
}

void SimIcmp::close_handle(platform::IcmpHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  open_.erase(handle);
}

std::uint32_t SimIcmp::send_echo(platform::IcmpHandle handle, std::uint32_t address,
                                 const std::string& payload, std::uint8_t ttl,
                                 std::uint32_t timeout_ms, std::size_t reply_buffer_size,
                                 platform::EchoReply& reply) {
  std::unique_lock<std::mutex> lock(mutex_);
  auto& last_error = last_errors_[std::this_thread::get_id()];
  if (!bound_ || open_.count(handle) == 0) {
    last_error = kErrorInvalidHandle;
    return 0;
  }
  requests_.push_back({address, payload, ttl, timeout_ms, reply_buffer_size});
  if (throw_next_) {
    throw_next_ = false;
    throw std::runtime_error("simulated ICMP fault");
  }
  if (reply_buffer_size < minimum_reply_buffer(profile, payload.size())) {
    // ICMP_ECHO_REPLY (ipexport.h) names IP_BUF_TOO_SMALL for the older systems.
    last_error = profile == WindowsProfile::XpLike ? kIpBufTooSmall : kErrorInsufficientBuffer;
    return 0;
  }
  const Host host = take_host(address);
  const bool answers =
      !(host.lost || host.lost_next > 0 || host.round_trip_ms > timeout_ms || host.replies == 0);
  if (real_time_) {
    lock.unlock();
    std::this_thread::sleep_for(
        std::chrono::milliseconds(answers ? host.round_trip_ms : timeout_ms));
    lock.lock();
  }
  if (!answers) {
    last_errors_[std::this_thread::get_id()] = kIpReqTimedOut;
    return 0;
  }
  reply = platform::EchoReply{};
  reply.address = address;
  reply.status = host.status;
  reply.round_trip_ms = host.round_trip_ms;
  if (host.status == 0) {
    std::string echoed = payload;
    if (host.data_size) echoed.resize(*host.data_size, payload.empty() ? 'E' : payload[0]);
    if (host.wrong_byte && *host.wrong_byte < echoed.size()) echoed[*host.wrong_byte] ^= 0x01;
    reply.data_size = static_cast<std::uint32_t>(echoed.size());
    // Whatever does not fit behind the reply record is cut off.
    echoed.resize(std::min(echoed.size(), reply_buffer_size - kRecord));
    reply.data = echoed;
  }
  return host.replies;
}

void SimIcmp::set_last_error(std::uint32_t code) {
  std::lock_guard<std::mutex> lock(mutex_);
  last_errors_[std::this_thread::get_id()] = code;
}

std::uint32_t SimIcmp::last_error() {
  std::lock_guard<std::mutex> lock(mutex_);
  return last_errors_[std::this_thread::get_id()];
}

void SimIcmp::set_host(const std::string& address, const Host& host) {
  const std::uint32_t a = ipv4(address);
  std::lock_guard<std::mutex> lock(mutex_);
  hosts_[a] = host;
}

void SimIcmp::set_round_trip(const std::string& address, std::uint32_t round_trip_ms) {
  Host h;
  h.round_trip_ms = round_trip_ms;
  set_host(address, h);
}

void SimIcmp::lose(const std::string& address) {
  Host h;
  h.lost = true;
  set_host(address, h);
}

void SimIcmp::script(const std::string& address,
                     const std::vector<std::optional<std::uint32_t>>& next) {
  const std::uint32_t a = ipv4(address);
  std::lock_guard<std::mutex> lock(mutex_);
  scripts_[a].assign(next.begin(), next.end());
}

int SimIcmp::probes(const std::string& address) const {
  const std::uint32_t a = ipv4(address);
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(std::count_if(requests_.begin(), requests_.end(),
                                        [a](const Request& r) { return r.address == a; }));
}

int SimIcmp::total_probes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(requests_.size());
}

std::vector<SimIcmp::Request> SimIcmp::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

std::uint8_t SimIcmp::last_ttl() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.empty() ? 0 : requests_.back().ttl;
}

std::uint32_t SimIcmp::last_timeout() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.empty() ? 0 : requests_.back().timeout_ms;
}

std::size_t SimIcmp::last_buffer_size() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_.empty() ? 0 : requests_.back().reply_buffer_size;
}

int SimIcmp::loads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return loads_;
}

int SimIcmp::unloads() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unloads_;
}

int SimIcmp::open_handles() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(open_.size());
}

void SimIcmp::set_flag(bool& flag) {
  std::lock_guard<std::mutex> lock(mutex_);
  flag = true;
}

// The host's settings for this request; a pending loss is used up by it.
SimIcmp::Host SimIcmp::take_host(std::uint32_t address) {
  if (const auto it = scripts_.find(address); it != scripts_.end() && !it->second.empty()) {
    Host next;
    next.lost = !it->second.front();
    next.round_trip_ms = it->second.front().value_or(0);
    it->second.pop_front();
    return next;
  }
  if (const auto it = hosts_.find(address); it != hosts_.end()) {
    const Host now = it->second;
    if (it->second.lost_next > 0) --it->second.lost_next;
    return now;
  }
  Host unset;
  unset.lost = true;
  return unset;
}

}  // namespace qvx::sim
