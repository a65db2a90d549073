#include <cstdio>

#include "connect/thread_dial.h"
#include "shell/application.h"
#include "shell/unit1.h"
#include "status/unit2.h"
#include "widgets/tray_icon.h"
#include "windows/unit3.h"
#include "windows/unit4.h"

namespace qvx {
namespace {

constexpr std::size_t kNoticeBytes = 80;

std::string traffic_text(std::uint32_t kib) {
  char text[32];
  if (kib < 1024) {
    std::snprintf(text, sizeof text, "%u K", kib);
  } else if (kib < 1048576) {
    std::snprintf(text, sizeof text, "%u M", kib >> 10);
  } else {
    std::snprintf(text, sizeof text, "%u G", kib >> 20);
  }
  return text;
}

}  // namespace

void TForm2::Timer1Timer() {
  TForm1& f1 = *app.Form1;
  if (f1.notice_delay >= 0) {
    --f1.notice_delay;
    return;
  }
  std::string text = "    " + f1.notice_text;
  if (text.size() > kNoticeBytes) text = widgets::cut_gbk(text, kNoticeBytes) + "...";
  app.Form3->Label1.set_caption(text);
  app.Form3->show();
  Timer1.set_enabled(false);
}

void TForm2::Timer2Timer() {
  TForm1& f1 = *app.Form1;
  if (f1.tips_delay < 0) {
    app.Form4->show();
    Timer2.set_enabled(false);
    f1.N6.set_enabled(true);
    return;
  }
  --f1.tips_delay;
  if (f1.tips_delay == 10) app.Form4->CppWebBrowser1.navigate(f1.tips_url);
}

void TForm2::Timer3Timer() {
  TForm1& f1 = *app.Form1;
  if (++f1.conn_seconds == 60) {
    f1.conn_seconds = 0;
    ++f1.conn_minutes;
  }
  if (f1.conn_minutes == 60) {
    f1.conn_minutes = 0;
    ++f1.conn_hours;
  }
  show_connection(shown_.with_pane("连接时间： " + std::to_string(f1.conn_hours) + ":" +
                                   std::to_string(f1.conn_minutes) + ":" +
                                   std::to_string(f1.conn_seconds)));
}

void TForm2::Timer4Timer() {
  TForm1& f1 = *app.Form1;
  // While the dial thread still changes the routes, a drop's clean-up and the idle state it
  // leads to would let a new dial start beside it: the link is watched once the dial is done.
  if (app.is_running(app.dial_thread)) return;
  if (f1.dialer.connect_status(f1.ras_connection) == platform::kRasDisconnected) {
    // One miss may be a hiccup: look again six seconds later before calling it a drop. The
    // windows keep working meanwhile; a hang-up or an exit calls the second look off.
    Timer4.set_enabled(false);
    SecondLook.set_enabled(true);
    return;
  }
  show_traffic();
}

void TForm2::SecondLookTimer() {
  TForm1& f1 = *app.Form1;
  SecondLook.set_enabled(false);
  if (f1.ras_connection == 0) return;
  if (f1.dialer.connect_status(f1.ras_connection) != platform::kRasDisconnected) {
    Timer4.set_enabled(true);
    show_traffic();
    return;
  }
  if (redial.begin_after_drop()) return;
  // The clock stops at once; the pane keeps the last time while the message is open.
  show_connection({LinkState::DropReported, shown_.pane});
  try {
    f1.dialer.clean_up();
  } catch (const error_message&) {
  }
  // The box's outcome is the idle state: while it is open, nothing may hang up the dead
  // connection or end the program under this handler.
  f1.ras_connection = 0;
  f1.N1.set_enabled(false);
  const bool exit_asked = show_drop_message();
  f1.N1.set_enabled(true);
  show_connection({LinkState::Idle, "连接状态： 已断开"});
  if (exit_asked) app.Form1->exit_step();
}

bool TForm2::show_drop_message() {
  drop_message_open_ = true;
  app.ui.message_box(this, "网络原因，异常中断", kAppTitle, widgets::kMbOk);
  drop_message_open_ = false;
  const bool exit_asked = exit_after_drop_;
  exit_after_drop_ = false;
  return exit_asked;
}

// Nothing is under way while the drop message is open: the line is gone and cleaned up, so an
// exit is not refused but carried out once the message has been answered.
bool TForm2::defer_exit() {
  if (!drop_message_open_) return false;
  exit_after_drop_ = true;
  return true;
}

void TForm2::stop_link_monitor() {
  Timer4.set_enabled(false);
  SecondLook.set_enabled(false);
}

void TForm2::show_traffic() {
  TForm1& f1 = *app.Form1;
  try {
    f1.dialer.statistics(f1.ras_connection, f1.bytes_received, f1.bytes_sent);
  } catch (const error_message&) {
    return;  // no counters this tick
  }
  f1.bytes_sent /= 1024;
  Label26.set_caption(traffic_text(f1.bytes_sent));
  f1.bytes_received /= 1024;
  Label27.set_caption(traffic_text(f1.bytes_received));
}

void TForm2::Timer5Timer() {
  TForm1& f1 = *app.Form1;
  const int count = std::min(f1.ticker_count, kTickerSlots);
  if (count <= 0) return;
  f1.ticker_index = ((f1.ticker_index + 1) % count + count) % count;
  Label23.set_caption(f1.ticker_texts[static_cast<std::size_t>(f1.ticker_index)]);
}

}  // namespace qvx
