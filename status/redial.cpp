#include "status/redial.h"

#include "shell/application.h"
#include "shell/unit1.h"
#include "status/unit2.h"

namespace qvx {
namespace {

constexpr char kDropped[] = "连接状态： 已断开";
constexpr unsigned kBalloonMs = 10000;

}  // namespace

// RAS error codes (Routing and Remote Access Error Codes, learn.microsoft.com): 646 restricted
// logon hours, 647 account disabled, 648 password expired, 649 no dial-in permission, 691
// authentication failure, 708 account expired, 709 changing the password failed.
bool credential_error(int ras_error) {
  switch (ras_error) {
    case 646:
    case 647:
    case 648:
    case 649:
    case 691:
    case 708:
    case 709:
      return true;
    default:
      return false;
  }
}

Redial::Redial(Application& app) : Countdown(app.ui, "RedialCountdown", 1000), app(app) {
  Countdown.on_timer = [this] { tick(); };
}

bool Redial::begin_after_drop() {
  if (app.Form1->auto_redial != 1) return false;
  // The try's dial takes what is left of the connection down first, off the GUI thread, since
  // a hang-up waits for RAS to let the connection go.
  app.Form1->ras_connection = 0;
  tries_ = 0;
  wait(kIntervalSeconds);
  return true;
}

void Redial::power(widgets::PowerEvent event) {
  if (event == widgets::PowerEvent::Suspend) {
    connected_at_suspend_ = connected();
    return;
  }
  // Windows may announce one resume twice (automatic, then by the user): the first one acts.
  if (!connected_at_suspend_) return;
  connected_at_suspend_ = false;
  TForm1& f1 = *app.Form1;
  if (f1.auto_redial != 1 || !connected()) return;
  // The tunnel does not outlive a sleep: the try's dial takes what is left of it down (off the
  // GUI thread) and dials afresh.
  app.Form2->stop_link_monitor();
  // Asking for the state first lets the dialer forget a handle that went with the sleep, which
  // it could not hang up.
  f1.dialer.connect_status(f1.ras_connection);
  f1.ras_connection = 0;
  tries_ = 0;
  wait(kSettleSeconds);
}

bool Redial::cancel(const char* pane_text) {
  if (!pending()) return false;
  Countdown.set_enabled(false);
  tries_ = 0;
  app.Form2->show_connection({LinkState::Idle, pane_text});
  app.Form1->write_log("取消断线自动重连");
  return true;
}

bool Redial::try_failed(int ras_error) {
  if (credential_error(ras_error)) {
    tries_ = 0;
    return false;
  }
  app.Form1->write_log("断线自动重连失败，错误编号：" + std::to_string(ras_error));
  if (tries_ >= kTries || app.Form1->auto_redial != 1) {
    give_up();
  } else {
    wait(kIntervalSeconds);
  }
  return true;
}

void Redial::try_succeeded() {
  tries_ = 0;
  TForm1& f1 = *app.Form1;
  f1.write_log("断线自动重连成功");
  f1.RzTrayIcon1.show_balloon("亲爱的 " + f1.account + "：", "网络中断后已自动重新连接成功！",
                              kBalloonMs);
}

void Redial::tick() {
  if (--seconds_left_ > 0) {
    show_countdown();
    return;
  }
  Countdown.set_enabled(false);
  launch_try();
}

void Redial::wait(int seconds) {
  seconds_left_ = seconds;
  show_countdown();
  Countdown.set_enabled(true);
}

void Redial::show_countdown() {
  app.Form2->show_connection(
      {LinkState::RedialCountdown, "连接已断开，" + std::to_string(seconds_left_) + " 秒后第 " +
                                       std::to_string(tries_ + 1) + " 次重连"});
}

void Redial::launch_try() {
  TForm1& f1 = *app.Form1;
  TForm2& f2 = *app.Form2;
  ++tries_;
  f1.write_log("断线自动重连，第 " + std::to_string(tries_) + " 次");
  f2.show_connection({LinkState::RedialDue, f2.connection().pane});
  if (!f2.account_valid()) {
    tries_ = 0;
    f2.show_connection({LinkState::Idle, kDropped});
    return;
  }
  f2.start_dial(true);
}

// The last try failed too: the drop is reported as it is without redial.
void Redial::give_up() {
  TForm2& f2 = *app.Form2;
  tries_ = 0;
  // Behind the message the window shows the line as gone, not the last try's state.
  f2.show_connection({LinkState::DropReported, kDropped});
  const bool exit_asked = f2.show_drop_message();
  f2.show_connection({LinkState::Idle, kDropped});
  // The message was shown from the last try's thread, which ends once this returns: the exit
  // asked for meanwhile follows then.
  if (exit_asked) app.ui.queue([this] { exit_after_last_try(); });
}

void Redial::exit_after_last_try() {
  constexpr unsigned kTryEndMs = 2000;
  TForm1& f1 = *app.Form1;
  app.ui.run_until([&f1] { return !f1.busy(); }, kTryEndMs);
  f1.exit_step();
}

bool Redial::connected() const {
  const TForm2& f2 = *app.Form2;
  return app.Form1->ras_connection != 0 && f2.suiButton2.caption() == "挂断" &&
         f2.suiButton2.enabled();
}

}  // namespace qvx
