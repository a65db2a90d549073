// Suspend and resume registration through user32, bound at run time: the program must still
// start on Windows 7, whose user32 lacks the functions.
#pragma once
#include <map>

#include "platform/power.h"

namespace qvx {

class Win32Power : public platform::Power {
 public:
  Win32Power();
  ~Win32Power() override;
  Win32Power(const Win32Power&) = delete;
  Win32Power& operator=(const Win32Power&) = delete;

  bool register_suspend_resume(platform::WindowHandle window) override;
  void unregister_suspend_resume(platform::WindowHandle window) override;

 private:
  void* register_ = nullptr;
  void* unregister_ = nullptr;
  std::map<platform::WindowHandle, void*> registrations_;  // window to HPOWERNOTIFY
};

}  // namespace qvx
