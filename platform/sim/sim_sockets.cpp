#include "platform/sim/sim_sockets.h"

#include <cctype>

namespace qvx::sim {

std::uint32_t dotted_to_address(const std::string& text) {
  std::uint32_t octets[4];
  std::size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) {
      return platform::kInaddrNone;
    }
    std::uint32_t v = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      v = v * 10 + static_cast<std::uint32_t>(text[pos++] - '0');
      if (v > 255) return platform::kInaddrNone;
    }
    octets[i] = v;
    if (i < 3) {
      if (pos >= text.size() || text[pos] != '.') return platform::kInaddrNone;
      ++pos;
    }
  }
  if (pos != text.size()) return platform::kInaddrNone;
  return octets[0] | octets[1] << 8 | octets[2] << 16 | octets[3] << 24;
}

std::string address_to_dotted(std::uint32_t a) {
  return std::to_string(a & 0xFF) + "." + std::to_string(a >> 8 & 0xFF) + "." +
         std::to_string(a >> 16 & 0xFF) + "." + std::to_string(a >> 24 & 0xFF);
}

SimSockets::SimSockets() {
  add_host("localhost", "127.0.0.1");
  set_machine("quovix-pc", "192.168.1.5");
}

bool SimSockets::startup(int major, int minor, std::uint16_t& version_obtained) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (fail_startup_) return false;
  ++startups_;
  version_obtained =
      forced_version_ ? forced_version_ : static_cast<std::uint16_t>(major | minor << 8);
  return true;
}

void SimSockets::cleanup() {
  std::lock_guard<std::mutex> lock(mutex_);
  ++cleanups_;
}

std::optional<std::string> SimSockets::host_name() {
  std::lock_guard<std::mutex> lock(mutex_);
  if (machine_name_.empty()) return std::nullopt;
  return machine_name_;
}

std::optional<std::uint32_t> SimSockets::resolve(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++lookups_[name];
  const auto it = hosts_.find(name);
  if (it == hosts_.end()) return std::nullopt;
  return it->second;
}

void SimSockets::add_host(const std::string& name, const std::string& dotted) {
  std::lock_guard<std::mutex> lock(mutex_);
  hosts_[name] = dotted_to_address(dotted);
}

void SimSockets::remove_host(const std::string& name) {
  std::lock_guard<std::mutex> lock(mutex_);
  hosts_.erase(name);
}

void SimSockets::set_machine(const std::string& name, const std::string& dotted) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!machine_name_.empty()) hosts_.erase(machine_name_);
  machine_name_ = name;
  if (!name.empty() && !dotted.empty()) hosts_[name] = dotted_to_address(dotted);
}

int SimSockets::lookups(const std::string& name) const {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = lookups_.find(name);
  return it == lookups_.end() ? 0 : it->second;
}

}  // namespace qvx::sim
