// A timer that ticks on the GUI thread while enabled. The UI schedules it.
#pragma once
#include <functional>
#include <string>

namespace qvx::widgets {

class Ui;

class Timer {
 public:
  Timer(Ui& ui, std::string name, unsigned interval_ms);
  ~Timer();
  Timer(const Timer&) = delete;
  Timer& operator=(const Timer&) = delete;

  const std::string& name() const { return name_; }
  unsigned interval() const { return interval_; }
  bool enabled() const { return enabled_; }
  void set_enabled(bool on);
  std::function<void()> on_timer;
  void tick() {
    if (on_timer) on_timer();
  }

 private:
  Ui& ui_;
  std::string name_;
  unsigned interval_;
  bool enabled_ = false;
};

}  // namespace qvx::widgets
