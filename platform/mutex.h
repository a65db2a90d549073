// Named mutex used only to detect another copy of the program.
#pragma once
#include <string>

namespace qvx::platform {

enum class MutexCreate {
  Created,
  Existed,
  // The object exists but its DACL keeps this user out: another user created it.
  AccessDenied,
};

class NamedMutex {
 public:
  virtual ~NamedMutex() = default;
  // Creates the mutex (no security attributes, not owned) and keeps its handle for the life
  // of the process. A name may start with "Global\" or "Local\".
  virtual MutexCreate create(const std::string& name) = 0;
};

}  // namespace qvx::platform
