// The Task Scheduler's logon tasks, as a map from name to program, with the faults tests need.
#pragma once
#include <map>
#include <string>

#include "platform/logon_tasks.h"

namespace qvx::sim {

class SimLogonTasks : public platform::LogonTasks {
 public:
  std::optional<bool> exists(const std::string& name) override;
  bool create(const std::string& name, const std::string& program) override;
  bool remove(const std::string& name) override;

  // Test side. Unreachable: the service cannot be asked at all (stopped, or no Task Scheduler
  // 2.0 before Vista); refusing: it answers but creates or deletes nothing (a policy, no
  // rights).
  void set_unreachable(bool on) { unreachable_ = on; }
  void set_refusing(bool on) { refusing_ = on; }
  const std::map<std::string, std::string>& tasks() const { return tasks_; }

 private:
  std::map<std::string, std::string> tasks_;
  bool unreachable_ = false;
  bool refusing_ = false;
};

}  // namespace qvx::sim
