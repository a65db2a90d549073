// Automatic redial: after a drop the monitor found, or after the machine resumes with the
// connection it had, the status pane counts down and the ordinary dial runs again with the same
// node and modes, up to three tries per drop. Opt-in through auto_redial.
#pragma once
#include "widgets/form.h"
#include "widgets/timer.h"

namespace qvx {

class Application;

class Redial {
 public:
  static constexpr int kTries = 3;
  static constexpr int kIntervalSeconds = 10;
  static constexpr int kSettleSeconds = 5;  // after a resume, for the network to come back

  explicit Redial(Application& app);

  // The monitor has found the link dropped and cleaned up. True when a redial takes over; false
  // when the option is off and the drop is reported as before.
  bool begin_after_drop();
  void power(widgets::PowerEvent event);
  // 挂断, exit, log-off, the option turned off: a pending countdown stops, the window goes idle
  // with pane_text. False when no countdown was pending.
  bool cancel(const char* pane_text);
  bool pending() const { return Countdown.enabled(); }

  // Outcome steps of a redial's dial thread, on the GUI thread. try_failed answers false for a
  // credential error, which ends the redial and is reported as any failed dial is.
  bool try_failed(int ras_error);
  void try_succeeded();

  widgets::Timer Countdown;

 private:
  void tick();
  void wait(int seconds);  // the countdown state: the connection is gone, 挂断 cancels
  void show_countdown();
  void launch_try();
  void give_up();
  void exit_after_last_try();
  bool connected() const;

  Application& app;
  int tries_ = 0;  // made for the current drop
  int seconds_left_ = 0;
  bool connected_at_suspend_ = false;
};

// Errors that another try with the same credentials cannot cure.
bool credential_error(int ras_error);

}  // namespace qvx
