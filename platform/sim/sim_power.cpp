#include "platform/sim/sim_power.h"

#include <algorithm>

namespace qvx::sim {

bool SimPower::register_suspend_resume(platform::WindowHandle window) {
  std::lock_guard<std::mutex> lock(mutex_);
  ++register_calls_;
  if (refuse_next_) {
    refuse_next_ = false;
    return false;
  }
  const model::Registration r =
      model_.register_window(window, model::PowerNotifications::kDeviceNotifyWindowHandle);
  if (r == 0) return false;
  held_.emplace_back(window, r);
  return true;
}

void SimPower::unregister_suspend_resume(platform::WindowHandle window) {
  std::lock_guard<std::mutex> lock(mutex_);
  const auto it = std::find_if(held_.begin(), held_.end(),
                               [window](const auto& h) { return h.first == window; });
  const model::Registration r = it == held_.end() ? 0 : it->second;
  if (it != held_.end()) held_.erase(it);
  if (!model_.unregister(r)) ++unregister_failures_;
}

void SimPower::set_machine(model::PowerMachine machine) {
  std::lock_guard<std::mutex> lock(mutex_);
  model_ = model::PowerNotifications(machine);
  held_.clear();
}

void SimPower::refuse_next_registration() {
  std::lock_guard<std::mutex> lock(mutex_);
  refuse_next_ = true;
}

void SimPower::sleep(Desktop& desktop) {
  send(desktop, model::PowerNotifications::sleep_events());
}

void SimPower::wake(Desktop& desktop, bool user_present) {
  send(desktop, model::PowerNotifications::wake_events(user_present));
}

// Each event goes to every window it reaches before the next event goes out; the windows
// are asked for afresh, since a handler may close one.
void SimPower::send(Desktop& desktop, const std::vector<model::PowerBroadcast>& events) {
  for (const model::PowerBroadcast event : events) {
    std::vector<model::Window> windows;
    for (const platform::WindowHandle w : desktop.top_level_windows()) windows.push_back(w);
    std::vector<model::Window> reached;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      reached = model_.recipients(windows);
    }
    for (const model::Window w : reached) {
      desktop.send_power_broadcast(static_cast<platform::WindowHandle>(w),
                                   static_cast<std::uint32_t>(event));
    }
  }
}

std::size_t SimPower::registrations() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return model_.registrations();
}

int SimPower::register_calls() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return register_calls_;
}

int SimPower::unregister_failures() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return unregister_failures_;
}

}  // namespace qvx::sim
