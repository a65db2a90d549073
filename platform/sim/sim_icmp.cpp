#include "platform/sim/sim_icmp.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>

#include "platform/sim/sim_sockets.h"

namespace qvx::sim {

namespace {

// Callers size their buffers by the 32-bit reply record.
constexpr std::size_t kRecord = platform::kEchoReplyRecordSize;

model::IcmpEcho echo_rules(WindowsProfile profile) {
  return model::IcmpEcho(profile == WindowsProfile::XpLike ? model::EchoRules::XpLike
                                                           : model::EchoRules::VistaAndLater,
                         kRecord);
}

}  // namespace

std::size_t SimIcmp::minimum_reply_buffer(WindowsProfile profile, std::size_t payload_size) {
  return echo_rules(profile).minimum_reply_size(payload_size);
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
  return handles_.open();
}

void SimIcmp::close_handle(platform::IcmpHandle handle) {
  std::lock_guard<std::mutex> lock(mutex_);
  handles_.close(static_cast<model::IcmpHandle>(handle));
}

std::uint32_t SimIcmp::send_echo(platform::IcmpHandle handle, std::uint32_t address,
                                 const std::string& payload, std::uint8_t ttl,
                                 std::uint32_t timeout_ms, std::size_t reply_buffer_size,
                                 platform::EchoReply& reply) {
  std::unique_lock<std::mutex> lock(mutex_);
  const bool open = bound_ && handles_.is_open(static_cast<model::IcmpHandle>(handle));
  if (!open) {
    last_errors_[std::this_thread::get_id()] = kErrorInvalidHandle;
    return 0;
  }
  requests_.push_back({address, payload, ttl, timeout_ms, reply_buffer_size});
  if (throw_next_) {
    throw_next_ = false;
    throw std::runtime_error("simulated ICMP fault");
  }
  model::EchoRequest request;
  request.payload = payload;
  request.reply_size = reply_buffer_size;
  request.timeout_ms = timeout_ms;
  const model::IcmpEcho rules = echo_rules(profile);
  if (const std::uint32_t refused = rules.refusal(open, request)) {
    last_errors_[std::this_thread::get_id()] = refused;
    return 0;
  }
  const model::EchoResult result = rules.result(request, answer_of(take_host(address), payload));
  if (real_time_) {
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(result.elapsed_ms));
    lock.lock();
  }
  if (result.replies == 0) {
    last_errors_[std::this_thread::get_id()] = result.last_error;
    return 0;
  }
  reply = platform::EchoReply{};
  reply.address = address;
  reply.status = result.status;
  reply.round_trip_ms = result.round_trip_ms;
  reply.data_size = result.data_size;
  reply.data = result.data;
  return result.replies;
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
  return static_cast<int>(handles_.size());
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

// A host's settings as the network's answer to one request: a status other than success
// comes back in a reply record without data.
model::EchoAnswer SimIcmp::answer_of(const Host& host, const std::string& payload) {
  model::EchoAnswer answer;
  answer.comes_back = !host.lost && host.lost_next == 0;
  answer.round_trip_ms = host.round_trip_ms;
  answer.status = host.status;
  answer.records = host.replies;
  if (host.data_size || host.wrong_byte) {
    std::string echoed = payload;
    if (host.data_size) echoed.resize(*host.data_size, payload.empty() ? 'E' : payload[0]);
    if (host.wrong_byte && *host.wrong_byte < echoed.size()) echoed[*host.wrong_byte] ^= 0x01;
    answer.echoed = echoed;
  }
  return answer;
}

}  // namespace qvx::sim
