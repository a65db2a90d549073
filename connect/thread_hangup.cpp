#include "connect/thread_hangup.h"

#include "shell/application.h"
#include "shell/unit1.h"
#include "status/unit2.h"

namespace qvx {

namespace {
// Far longer than the route changes of a full table take; a wait past it is logged.
constexpr std::chrono::minutes kDialRoutesLimit{2};
}  // namespace

void Thread_hangup::Execute() {
  TForm1& f1 = *app.Form1;
  // The dial thread may still be adding routes and writing the gateways: restoring before it
  // ends would leave its later routes and metrics in place, so the wait lasts as long as it.
  if (!app.wait_for_dial(dial_, kDialRoutesLimit)) {
    f1.write_log("挂断正在等待加速连接完成路由表更改");
    while (!app.wait_for_dial(dial_, kDialRoutesLimit)) continue;
  }
  // A dial that failed meanwhile has cleaned up: there is nothing left to restore or hang up.
  if (f1.ras_connection == 0) {
    Synchronize([this] { show_already_down(); });
    return;
  }
  try {
    if (f1.relay_mode == 0) {
      f1.write_log("连接方式为：部分中转。挂断前正在改回路由表");
      f1.route_tables.restore_routes();
    }
    f1.dialer.hang_up(f1.ras_connection);
    Synchronize([this] { show_hung_up(); });
  } catch (const error_message&) {
    Synchronize([this] { show_hang_up_failure(); });
  }
}

void Thread_hangup::show_hung_up() {
  TForm2& f2 = *app.Form2;
  f2.stop_link_monitor();
  f2.show_connection({LinkState::Idle, "连接状态： 未连接"});
  app.Form1->write_log("成功挂断连接");
}

// The clock and the monitor stay stopped: the window shows the last time until a new connect.
void Thread_hangup::show_hang_up_failure() {
  app.ui.message_box(app.Form2, "挂断错误", kAppTitle, widgets::kMbOk);
  show_failed_state();
}

// An unexpected failure leaves the window as a refused hang-up does, so the user can retry.
void Thread_hangup::Abandon() {
  show_failed_state();
}

// Once RasHangUp has taken the handle the line is down, whatever failed after it: the window
// offers 挂断 again only for a connection that is still there.
void Thread_hangup::show_failed_state() {
  if (app.Form1->ras_connection == 0) {
    show_idle();
  } else {
    app.Form2->show_connection({LinkState::Connected, "连接状态： 已连接", false});
  }
  app.Form1->write_log("挂断连接失败");
}

void Thread_hangup::show_already_down() {
  show_idle();
  app.Form1->write_log("加速连接已断开，无需挂断");
}

void Thread_hangup::show_idle() {
  app.Form2->stop_link_monitor();
  app.Form2->show_connection({LinkState::Idle, "连接状态： 未连接"});
}

}  // namespace qvx
