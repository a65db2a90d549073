// Logon tasks through the Task Scheduler 2.0 COM interface (Vista and later).
#pragma once
#include "platform/logon_tasks.h"

namespace qvx::win32 {

class Win32LogonTasks : public platform::LogonTasks {
 public:
  std::optional<bool> exists(const std::string& name) override;
  bool create(const std::string& name, const std::string& program) override;
  bool remove(const std::string& name) override;
};

}  // namespace qvx::win32
