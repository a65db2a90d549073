#include "platform/sim/sim_logon_tasks.h"

namespace qvx::sim {

std::optional<bool> SimLogonTasks::exists(const std::string& name) {
  if (unreachable_) return std::nullopt;
  return tasks_.count(name) > 0;
}

bool SimLogonTasks::create(const std::string& name, const std::string& program) {
  if (unreachable_ || refusing_) return false;
  tasks_[name] = program;
  return true;
}

// ITaskFolder::DeleteTask (learn.microsoft.com) answers E_ACCESSDENIED to a caller without the
// right to the task, and the task stays; a task that is not there counts as removed.
bool SimLogonTasks::remove(const std::string& name) {
  if (unreachable_) return false;
  if (refusing_ && tasks_.count(name)) return false;
  tasks_.erase(name);
  return true;
}

}  // namespace qvx::sim
