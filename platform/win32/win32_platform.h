// The real operating system services, built once by the program entry.
#pragma once
#include <memory>

#include "platform/platform.h"

namespace qvx {

class Win32Platform {
 public:
  Win32Platform();
  ~Win32Platform();
  Win32Platform(const Win32Platform&) = delete;
  Win32Platform& operator=(const Win32Platform&) = delete;

  platform::Platform platform();

 private:
  struct Services;
  std::unique_ptr<Services> services_;
};

}  // namespace qvx
