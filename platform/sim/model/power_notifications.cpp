#include "platform/sim/model/power_notifications.h"

#include <algorithm>

namespace qvx::model {

// "RegisterSuspendResumeNotification function (winuser.h)", learn.microsoft.com: Windows 8 and
// later; Flags is DEVICE_NOTIFY_WINDOW_HANDLE (hRecipient a window) or DEVICE_NOTIFY_CALLBACK;
// returns the registration's handle, NULL on failure. Only window registrations are modelled,
// so a callback registration fails like any other flag.
Registration PowerNotifications::register_window(Window window, std::uint32_t flags) {
  if (!has_registration_functions() || flags != kDeviceNotifyWindowHandle || window == 0) {
    return 0;
  }
  const Registration r = next_++;
  registrations_[r] = window;
  return r;
}

// "UnregisterSuspendResumeNotification function (winuser.h)": takes a handle the register
// function returned; zero on failure, as for a handle already given back.
bool PowerNotifications::unregister(Registration registration) {
  if (!has_registration_functions()) return false;
  return registrations_.erase(registration) > 0;
}

bool PowerNotifications::registered(Window window) const {
  return std::any_of(registrations_.begin(), registrations_.end(),
                     [window](const auto& r) { return r.second == window; });
}

// "WM_POWERBROADCAST Messages", learn.microsoft.com: the system broadcasts each power event to
// all applications, that is to every top-level window. On Modern Standby machines (S0 low power
// idle, Windows 8 and later) a desktop program hears suspend and resume only through
// RegisterSuspendResumeNotification
// ("How to get notified when going in and out of connected standby", Windows SDK blog; the
// register page). A window registered on a classic machine still gets each event once.
std::vector<Window> PowerNotifications::recipients(const std::vector<Window>& top_level) const {
  std::vector<Window> out;
  for (const Window w : top_level) {
    if (machine_.sleep == SleepKind::S3 || registered(w)) out.push_back(w);
  }
  return out;
}

// "PBT_APMSUSPEND event": sent before the machine sleeps.
std::vector<PowerBroadcast> PowerNotifications::sleep_events() {
  return {PowerBroadcast::ApmSuspend};
}

// "WM_POWERBROADCAST message" and "PBT_APMRESUMEAUTOMATIC event": sent every time the system
// resumes. "PBT_APMRESUMESUSPEND event": after it when the wake was the user's or the user shows
// up later; not after a remote wake.
std::vector<PowerBroadcast> PowerNotifications::wake_events(bool user_present) {
  if (!user_present) return {PowerBroadcast::ApmResumeAutomatic};
  return {PowerBroadcast::ApmResumeAutomatic, PowerBroadcast::ApmResumeSuspend};
}

}  // namespace qvx::model
