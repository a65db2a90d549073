#include "platform/win32/win32_power.h"

#include <windows.h>

namespace qvx {

namespace {

// "RegisterSuspendResumeNotification function (winuser.h)" and
// "UnregisterSuspendResumeNotification function (winuser.h)", learn.microsoft.com: user32,
// Windows 8 and later.
using RegisterFn = HPOWERNOTIFY(WINAPI*)(HANDLE, DWORD);
using UnregisterFn = BOOL(WINAPI*)(HPOWERNOTIFY);

void* user32_entry(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<void*>(GetProcAddress(user32, name)) : nullptr;
}

}  // namespace

Win32Power::Win32Power()
    : register_(user32_entry("RegisterSuspendResumeNotification")),
      unregister_(user32_entry("UnregisterSuspendResumeNotification")) {}

// Registrations of windows the program did not get to unregister end with the process.
Win32Power::~Win32Power() = default;

bool Win32Power::register_suspend_resume(platform::WindowHandle window) {
  if (!register_ || !unregister_ || !window || registrations_.count(window)) return false;
  const HPOWERNOTIFY handle = reinterpret_cast<RegisterFn>(register_)(
      reinterpret_cast<HANDLE>(window), DEVICE_NOTIFY_WINDOW_HANDLE);
  if (!handle) return false;
  registrations_[window] = handle;
  return true;
}

void Win32Power::unregister_suspend_resume(platform::WindowHandle window) {
  const auto it = registrations_.find(window);
  if (it == registrations_.end()) return;
  reinterpret_cast<UnregisterFn>(unregister_)(static_cast<HPOWERNOTIFY>(it->second));
  registrations_.erase(it);
}

}  // namespace qvx
