// The small simulated services: clock, version, named mutex, shell and registry.
#pragma once
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "platform/clock.h"
#include "platform/mutex.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sim/model/object_namespace.h"
#include "platform/version.h"

namespace qvx::sim {

// Calendar time that only moves when the test says so; local time is taken as UTC.
class SimClock : public platform::Clock {
 public:
  std::time_t now() override;
  std::tm local_time(std::time_t t) override;
  void set(std::time_t t);
  void set_local(int year, int month, int day, int hour, int minute, int second);
  void advance(std::time_t seconds);
  // Returns at once; the waits are added up for the tests.
  void pause(std::chrono::milliseconds duration) override;
  std::chrono::milliseconds paused() const;

 private:
  mutable std::mutex mutex_;
  std::time_t now_ = 1230768000;  // 2009-01-01 00:00:00
  std::chrono::milliseconds paused_{0};
};

class SimVersion : public platform::SystemVersion {
 public:
  bool get(platform::OsVersion& v) override;
  unsigned major = 6, minor = 1;
};

// A process's handles to the machine's named objects, made in its logon session;
// end_process() closes them.
class SimMutex : public platform::NamedMutex {
 public:
  SimMutex(model::ObjectNamespace& objects, const model::LogonSession& session)
      : objects_(objects), session_(session) {}
  ~SimMutex() override { end_process(); }
  platform::MutexCreate create(const std::string& name) override;
  void end_process();

 private:
  model::ObjectNamespace& objects_;
  const model::LogonSession& session_;
  std::vector<model::ObjectHandle> handles_;
};

class SimShell : public platform::Shell {
 public:
  void open(const std::string& target) override;
  std::vector<std::string> opened() const;
  void clear();

 private:
  mutable std::mutex mutex_;
  std::vector<std::string> opened_;
};

using RegistryValue = std::variant<std::uint32_t, std::string>;

class SimRegistry : public platform::Registry {
 public:
  using platform::Registry::open_local_machine;
  std::unique_ptr<platform::RegistryKey> open_local_machine(const std::string& path,
                                                            platform::RegistryView view) override;

  // Test side: keys exist only once created; a locked key exists but cannot be opened. A path
  // from other_view() names the key in the other registry view.
  static std::string other_view(const std::string& path) { return "(other view)" + path; }
  void create_key(const std::string& path) { keys_[path]; }
  void lock_key(const std::string& path) { locked_.insert(path); }
  void unlock_key(const std::string& path) { locked_.erase(path); }
  bool has_value(const std::string& path, const std::string& name) const;
  const RegistryValue* value(const std::string& path, const std::string& name) const;
  void set_value(const std::string& path, const std::string& name, RegistryValue v);
  int write_count() const { return writes_; }

 private:
  friend class SimRegistryKey;
  std::map<std::string, std::map<std::string, RegistryValue>> keys_;
  std::set<std::string> locked_;
  int writes_ = 0;
};

}  // namespace qvx::sim
