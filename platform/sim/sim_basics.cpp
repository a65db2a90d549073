#include "platform/sim/sim_basics.h"

namespace qvx::sim {

std::time_t SimClock::now() {
  std::lock_guard<std::mutex> lock(mutex_);
  return now_;
}

std::tm SimClock::local_time(std::time_t t) {
  std::tm out{};
  gmtime_r(&t, &out);
  return out;
}

void SimClock::set(std::time_t t) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ = t;
}

void SimClock::set_local(int year, int month, int day, int hour, int minute, int second) {
  std::tm t{};
  t.tm_year = year - 1900;
  t.tm_mon = month - 1;
  t.tm_mday = day;
  t.tm_hour = hour;
  t.tm_min = minute;
  t.tm_sec = second;
  set(timegm(&t));
}

void SimClock::advance(std::time_t seconds) {
  std::lock_guard<std::mutex> lock(mutex_);
  now_ += seconds;
}

void SimClock::pause(std::chrono::milliseconds duration) {
  std::lock_guard<std::mutex> lock(mutex_);
  paused_ += duration;
}

std::chrono::milliseconds SimClock::paused() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return paused_;
}

bool SimVersion::get(platform::OsVersion& v) {
  v.major = major;
  v.minor = minor;
  v.build = 7601;
  v.platform_id = 2;
  return true;
}

platform::MutexCreate SimMutex::create(const std::string& name) {
  model::ObjectHandle handle = 0;
  const model::CreateOutcome outcome = objects_.create_mutex(session_, name, handle);
  if (handle) handles_.push_back(handle);
  switch (outcome) {
    case model::CreateOutcome::Created:
      return platform::MutexCreate::Created;
    case model::CreateOutcome::Existed:
      return platform::MutexCreate::Existed;
    case model::CreateOutcome::AccessDenied:
      break;
  }
  return platform::MutexCreate::AccessDenied;
}

void SimMutex::end_process() {
  for (model::ObjectHandle handle : handles_) objects_.close(handle);
  handles_.clear();
}

void SimShell::open(const std::string& target) {
  std::lock_guard<std::mutex> lock(mutex_);
  opened_.push_back(target);
}

std::vector<std::string> SimShell::opened() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return opened_;
}

void SimShell::clear() {
  std::lock_guard<std::mutex> lock(mutex_);
  opened_.clear();
}

class SimRegistryKey : public platform::RegistryKey {
 public:
  SimRegistryKey(SimRegistry& registry, std::string path)
      : registry_(registry), path_(std::move(path)) {}
  bool value_exists(const std::string& name) override { return registry_.has_value(path_, name); }
  bool set_dword(const std::string& name, std::uint32_t value) override {
    registry_.set_value(path_, name, value);
    return true;
  }
  bool set_string(const std::string& name, const std::string& value) override {
    registry_.set_value(path_, name, value);
    return true;
  }
  bool delete_value(const std::string& name) override {
    ++registry_.writes_;
    return registry_.keys_[path_].erase(name) > 0;
  }

 private:
  SimRegistry& registry_;
  std::string path_;
};

std::unique_ptr<platform::RegistryKey> SimRegistry::open_local_machine(
    const std::string& path, platform::RegistryView view) {
  const std::string at = view == platform::RegistryView::Other ? other_view(path) : path;
  if (!keys_.count(at) || locked_.count(at)) return nullptr;
  return std::make_unique<SimRegistryKey>(*this, at);
}

bool SimRegistry::has_value(const std::string& path, const std::string& name) const {
  return value(path, name) != nullptr;
}

const RegistryValue* SimRegistry::value(const std::string& path, const std::string& name) const {
  auto key = keys_.find(path);
  if (key == keys_.end()) return nullptr;
  auto v = key->second.find(name);
  return v == key->second.end() ? nullptr : &v->second;
}

void SimRegistry::set_value(const std::string& path, const std::string& name, RegistryValue v) {
  ++writes_;
  keys_[path][name] = std::move(v);
}

}  // namespace qvx::sim
