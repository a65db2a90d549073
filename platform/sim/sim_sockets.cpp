#include "platform/sim/sim_sockets.h"

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <stdexcept>
#include <thread>

namespace qvx::sim {

namespace {

// One part of an inet_addr text: decimal, 0x hex or 0 octal, at most 32 bits.
std::optional<std::uint64_t> parse_part(const std::string& part) {
  if (part.empty()) return std::nullopt;
  int base = 10;
  std::size_t i = 0;
  if (part.size() > 1 && part[0] == '0' && (part[1] == 'x' || part[1] == 'X')) {
    base = 16;
    i = 2;
    if (i == part.size()) return std::nullopt;
  } else if (part.size() > 1 && part[0] == '0') {
    base = 8;
    i = 1;
  }
  std::uint64_t value = 0;
  for (; i < part.size(); ++i) {
    const int c = std::tolower(static_cast<unsigned char>(part[i]));
    int digit;
    if (c >= '0' && c <= '9') {
      digit = c - '0';
    } else if (c >= 'a' && c <= 'f') {
      digit = c - 'a' + 10;
    } else {
      return std::nullopt;
    }
    if (digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > 0xFFFFFFFFu) return std::nullopt;
  }
  return value;
}

std::uint32_t to_network(std::uint32_t host_order) {
  const unsigned char bytes[4] = {
      static_cast<unsigned char>(host_order >> 24), static_cast<unsigned char>(host_order >> 16),
      static_cast<unsigned char>(host_order >> 8), static_cast<unsigned char>(host_order)};
  std::uint32_t out;
  std::memcpy(&out, bytes, 4);
  return out;
}

}  // namespace

std::optional<std::uint32_t> parse_ipv4(const std::string& text) {
  std::uint64_t parts[4];
  std::size_t count = 0, start = 0;
  while (true) {
    const std::size_t dot = text.find('.', start);
    if (count == 4) return std::nullopt;
    const auto part = parse_part(text.substr(start, dot - start));
    if (!part) return std::nullopt;
    parts[count++] = *part;
    if (dot == std::string::npos) break;
    start = dot + 1;
  }
  // The last part fills all the bytes the earlier ones leave.
  std::uint64_t value = 0;
  for (std::size_t i = 0; i + 1 < count; ++i) {
    if (parts[i] > 0xFF) return std::nullopt;
    value |= parts[i] << (24 - 8 * i);
  }
  const unsigned last_bits = 32 - 8 * static_cast<unsigned>(count - 1);
  if (last_bits < 32 && parts[count - 1] >> last_bits) return std::nullopt;
  value |= parts[count - 1];
  return to_network(static_cast<std::uint32_t>(value));
}

std::string address_to_dotted(std::uint32_t address) {
  unsigned char b[4];
  std::memcpy(b, &address, 4);
  return std::to_string(b[0]) + "." + std::to_string(b[1]) + "." + std::to_string(b[2]) + "." +
         std::to_string(b[3]);
}

std::uint32_t ipv4(const std::string& text) {
  const auto address = parse_ipv4(text);
  if (!address) throw std::invalid_argument("not an address: " + text);
  return *address;
}

SimSockets::SimSockets() {
  add_host("localhost", "127.0.0.1");
  set_machine("quovix-pc", "192.168.1.5");
}

std::string SimSockets::key(const std::string& name) {
  std::string k = name;
  std::transform(k.begin(), k.end(), k.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return k;
}

bool SimSockets::startup(int major, int minor, std::uint16_t& version_obtained) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (startup_fails_) return false;
  if (major < 1) return false;  // below anything ws2_32 offers
  if (major > highest_major_ || (major == highest_major_ && minor > highest_minor_)) {
    major = highest_major_;
    minor = highest_minor_;
  }
  version_obtained = static_cast<std::uint16_t>(major | minor << 8);
  ++startups_;
  return true;
}

void SimSockets::cleanup() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (startups_ > cleanups_) {
    ++cleanups_;
  } else {
    ++unmatched_;
  }
}

std::optional<std::string> SimSockets::host_name() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (startups_ == cleanups_ || machine_name_.empty()) return std::nullopt;
  return machine_name_;
}

std::optional<std::uint32_t> SimSockets::resolve(const std::string& name) {
  std::unique_lock<std::mutex> lock(mutex_);
  ++lookups_[key(name)];
  if (lookup_ms_ > 0) {
    const auto wait = std::chrono::milliseconds(lookup_ms_);
    lock.unlock();
    std::this_thread::sleep_for(wait);
    lock.lock();
  }
  if (startups_ == cleanups_) return std::nullopt;
  // "gethostbyname function (winsock.h)", learn.microsoft.com: an empty name stands for the
  // local computer's own host name.
  const std::string looked_up = name.empty() ? machine_name_ : name;
  if (looked_up.empty()) return std::nullopt;
  if (const auto it = hosts_.find(key(looked_up)); it != hosts_.end()) return it->second;
  return parse_ipv4(name);  // gethostbyname takes an address text as its own answer
}

std::uint32_t SimSockets::inet_addr(const std::string& text) {
  return parse_ipv4(text).value_or(platform::kInaddrNone);
}

std::string SimSockets::inet_ntoa(std::uint32_t address) {
  return address_to_dotted(address);
}

void SimSockets::add_host(const std::string& name, const std::string& address) {
  std::lock_guard<std::mutex> lock(mutex_);
  hosts_[key(name)] = ipv4(address);
}

void SimSockets::remove_host(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  hosts_.erase(key(name));
}

void SimSockets::set_machine(const std::string& name, const std::string& local_address) {
  const std::uint32_t address = local_address.empty() ? 0 : ipv4(local_address);
  std::lock_guard<std::mutex> lock(mutex_);
  if (!machine_name_.empty()) hosts_.erase(key(machine_name_));
  machine_name_ = name;
  if (!name.empty() && !local_address.empty()) hosts_[key(name)] = address;
}

void SimSockets::fail_startup(bool fail) {
  std::lock_guard<std::mutex> lock(mutex_);
  startup_fails_ = fail;
}

void SimSockets::set_highest_version(int major, int minor) {
  std::lock_guard<std::mutex> lock(mutex_);
  highest_major_ = major;
  highest_minor_ = minor;
}

int SimSockets::startups() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return startups_;
}

int SimSockets::cleanups() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return cleanups_;
}

int SimSockets::unmatched_cleanups() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unmatched_;
}

int SimSockets::active() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return startups_ - cleanups_;
}

int SimSockets::lookups(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = lookups_.find(key(name));
  return it == lookups_.end() ? 0 : it->second;
}

void SimSockets::take_lookup_time(unsigned ms) {
  std::lock_guard<std::mutex> lock(mutex_);
  lookup_ms_ = ms;
}

}  // namespace qvx::sim
