// The simulated machine's sleep: registrations of windows for suspend and resume, and sleeps
// and wake-ups a test sets off, told to the windows the machine's kind of sleep reaches.
#pragma once
#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/power.h"
#include "platform/sim/model/power_notifications.h"

namespace qvx::sim {

// The top-level windows a power event can reach, and the way WM_POWERBROADCAST is sent to one.
class Desktop {
 public:
  virtual ~Desktop() = default;
  virtual std::vector<platform::WindowHandle> top_level_windows() = 0;
  virtual void send_power_broadcast(platform::WindowHandle window, std::uint32_t event) = 0;
};

class SimPower : public platform::Power {
 public:
  bool register_suspend_resume(platform::WindowHandle window) override;
  void unregister_suspend_resume(platform::WindowHandle window) override;

  // Test side. The machine is set before the program starts.
  void set_machine(model::PowerMachine machine);
  // The next registration fails as the system may.
  void refuse_next_registration();
  void sleep(Desktop& desktop);
  void wake(Desktop& desktop, bool user_present = true);
  std::size_t registrations() const;
  int register_calls() const;
  int unregister_failures() const;

 private:
  void send(Desktop& desktop, const std::vector<model::PowerBroadcast>& events);

  mutable std::mutex mutex_;
  model::PowerNotifications model_;
  std::vector<std::pair<platform::WindowHandle, model::Registration>> held_;
  bool refuse_next_ = false;
  int register_calls_ = 0;
  int unregister_failures_ = 0;
};

}  // namespace qvx::sim
