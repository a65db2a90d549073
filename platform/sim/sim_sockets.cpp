#include "platform/sim/sim_sockets.h"

#include "routing/route.h"

namespace qvx::sim {

std::uint32_t dotted_to_address(const std::string& text) {
  return address_from_dotted(text);
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
