// The small Win32 services: clock, named mutex, process end, version query and shell execution.
#pragma once
#include <vector>

#include "platform/clock.h"
#include "platform/mutex.h"
#include "platform/process.h"
#include "platform/shell.h"
#include "platform/version.h"

namespace qvx::win32 {

class Win32Clock : public platform::Clock {
 public:
  std::time_t now() override;
  std::tm local_time(std::time_t t) override;
  void pause(std::chrono::milliseconds duration) override;
};

// The handles are never closed: the names must stay taken until the process ends.
class Win32Mutex : public platform::NamedMutex {
 public:
  platform::MutexCreate create(const std::string& name) override;

 private:
  std::vector<void*> handles_;
};

class Win32Process : public platform::Process {
 public:
  void exit(unsigned code) override;
  void terminate(unsigned code) override;
};

class Win32Version : public platform::SystemVersion {
 public:
  bool get(platform::OsVersion& version) override;
};

class Win32Shell : public platform::Shell {
 public:
  void open(const std::string& target) override;
};

}  // namespace qvx::win32
