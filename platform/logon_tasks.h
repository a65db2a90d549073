// Tasks of the Task Scheduler that start a program when a user logs on, with the highest run
// level. Windows starts a program that requires elevation from such a task without a prompt;
// from the Run key it does not start it at all while UAC is on.
#pragma once
#include <optional>
#include <string>

namespace qvx::platform {

class LogonTasks {
 public:
  virtual ~LogonTasks() = default;
  // Whether the task exists; nullopt when the Task Scheduler cannot be asked.
  virtual std::optional<bool> exists(const std::string& name) = 0;
  // Creates the task, or replaces one of that name, for any user's logon; false when refused.
  virtual bool create(const std::string& name, const std::string& program) = 0;
  // True when the task is gone, also when there was none.
  virtual bool remove(const std::string& name) = 0;
};

}  // namespace qvx::platform
