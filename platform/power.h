// Sleep and wake-up notifications for the program's main window.
#pragma once
#include <cstdint>

namespace qvx::platform {

using WindowHandle = std::uintptr_t;  // an HWND on Windows

class Power {
 public:
  virtual ~Power() = default;
  // RegisterSuspendResumeNotification for the window, bound at run time: machines with Modern
  // Standby tell only registered windows that they sleep and wake. False where the system has
  // no such call (before Windows 8) or refused; classic sleep still reaches every window.
  virtual bool register_suspend_resume(WindowHandle window) = 0;
  // UnregisterSuspendResumeNotification of the window's registration, before the window goes.
  virtual void unregister_suspend_resume(WindowHandle window) = 0;
};

}  // namespace qvx::platform
