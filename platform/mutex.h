// Named mutex used only to detect a second copy of the program.
#pragma once
#include <string>

namespace qvx::platform {

class NamedMutex {
 public:
  virtual ~NamedMutex() = default;
  // Creates the mutex (no security attributes, not owned) and keeps its handle for the life
  // of the process. True when the system said the object already existed.
  virtual bool create_reports_existing(const std::string& name) = 0;
};

}  // namespace qvx::platform
