// Which windows hear the machine go to sleep and wake up, and what they hear.
#pragma once
#include <cstdint>
#include <map>
#include <vector>

namespace qvx::model {

using Window = std::uint64_t;        // HWND
using Registration = std::uint64_t;  // HPOWERNOTIFY; 0 for none

// How the machine sleeps.
enum class SleepKind {
  S3,             // classic sleep: the system broadcasts to every top-level window
  ModernStandby,  // S0 low power idle (Windows 8 and later): only registered windows hear it
};

// WM_POWERBROADCAST's event codes, as their pages number them.
enum class PowerBroadcast : std::uint32_t {
  ApmSuspend = 0x4,
  ApmResumeSuspend = 0x7,
  ApmResumeAutomatic = 0x12,
};

struct PowerMachine {
  SleepKind sleep = SleepKind::S3;
  bool windows8_or_later = true;  // user32 exports RegisterSuspendResumeNotification
};

class PowerNotifications {
 public:
  explicit PowerNotifications(PowerMachine machine = {}) : machine_(machine) {}

  const PowerMachine& machine() const { return machine_; }
  bool has_registration_functions() const { return machine_.windows8_or_later; }

  // RegisterSuspendResumeNotification; 0 when it fails.
  Registration register_window(Window window, std::uint32_t flags);
  // UnregisterSuspendResumeNotification; false when it fails.
  bool unregister(Registration registration);
  bool registered(Window window) const;
  std::size_t registrations() const { return registrations_.size(); }

  // Of the top-level windows, those a sleep or a wake-up reaches, each once.
  std::vector<Window> recipients(const std::vector<Window>& top_level) const;

  static std::vector<PowerBroadcast> sleep_events();
  // user_present: woken by the user, or the user came to the machine after an unattended wake.
  static std::vector<PowerBroadcast> wake_events(bool user_present);

  static constexpr std::uint32_t kDeviceNotifyWindowHandle = 0x0;
  static constexpr std::uint32_t kDeviceNotifyCallback = 0x2;

 private:
  PowerMachine machine_;
  std::map<Registration, Window> registrations_;
  Registration next_ = 0x7000;
};

}  // namespace qvx::model
