#include <exception>
#include <functional>

#include "connect/thread_dial.h"
#include "connect/thread_hangup.h"
#include "shell/application.h"
#include "shell/unit1.h"
#include "status/unit2.h"
#include "windows/unit4.h"
#include "windows/unit5.h"

namespace qvx {

void TForm1::RzTrayIcon1LButtonDown() {
  if (!visible()) app.Form2->show();
}

// Each item is disabled before the click, so a click that cannot start its worker enables it
// again with the rest of the window.
void TForm1::N5Click() {
  N5.set_enabled(false);
  app.Form2->suiButton2.click();
}

void TForm1::N4Click() {
  N4.set_enabled(false);
  app.Form2->suiButton2.click();
}

void TForm1::N3Click() {
  app.Form5->show();
}

void TForm1::N2Click() {
  app.platform.shell.open(app_dir + "qvxl.log");
}

void TForm1::N6Click() {
  app.Form4->CppWebBrowser1.navigate(tips_url);
  app.Form4->show();
}

void TForm1::N1Click() {
  // Refused while busy: the account is forgotten so the later exit does not remember it.
  if (busy()) Edit1.set_text("");
  exit_step();
}

// The status window's button is disabled from the click until the worker reports back; the
// dial thread goes on with the routes after it has re-enabled the button.
bool TForm1::busy() const {
  return !app.Form2->suiButton2.enabled() || connection_worker_running();
}

bool TForm1::connection_worker_running() const {
  return app.is_running(app.dial_thread) || app.is_running(app.hangup_thread);
}

void TForm1::exit_step() {
  if (app.Form2->defer_exit()) return;
  if (busy()) {
    app.ui.message_box(app.Form2, "正在连接或挂断，请稍候再退出！", kAppTitle, widgets::kMbOk);
    return;
  }
  app.Form2->hide();
  close();
  app.Form2->close();
}

// A dial or hang-up under way answers no, and the system shows the reason the application has
// set for it; otherwise the session may end.
bool TForm1::FormQueryEndSession() {
  return !connection_worker_running();
}

// The session ends, also when the user overrode the reason: a dial or hang-up under way gets a
// short wait (its steps on this thread still run), then the exit's teardown runs, hanging up
// and deleting our connection and entries. All of it inside the message: the system may end
// the process as soon as it returns, and offers to end one that takes more than five seconds.
// https://learn.microsoft.com/en-us/windows/win32/shutdown/wm-endsession
// https://learn.microsoft.com/en-us/windows/win32/shutdown/shutdown-changes-for-windows-vista
void TForm1::end_session() {
  constexpr unsigned kWorkerWaitMs = 2000;
  app.ui.run_until([this] { return !connection_worker_running(); }, kWorkerWaitMs);
  app.Form2->hide();
  close();
  app.Form2->close();
}

// The setup asks before it replaces the program: the exit's teardown without its refusal, since
// nobody is at the tray to try again; a dial or hang-up under way gets the session end's wait.
void TForm1::exit_request() {
  write_log("安装程序要求退出");
  end_session();
}

// Every step runs whatever the one before it threw: the process must end with the settings
// saved, the log closed and the message loop left. A failure is only logged; a box would
// hold up the end.
void TForm1::FormClose() {
  const auto step = [this](const std::function<void()>& fn) {
    try {
      fn();
    } catch (const std::exception& e) {
      log_teardown_failure(e.what());
    } catch (...) {
      log_teardown_failure("");
    }
  };
  // The connection is about to go: no second look at it may follow.
  step([this] { app.Form2->stop_link_monitor(); });
  step([this] { app.Form2->redial.cancel("连接状态： 未连接"); });
  step([this] {
    try {
      dialer.clean_up();
    } catch (const error_message&) {
      // The program ends anyway; the rest of the teardown must still run.
    }
  });
  step([this] {
    CppWebBrowser1.stop();
    app.Form2->CppWebBrowser1.stop();
    app.Form4->CppWebBrowser1.stop();
  });
  step([this] { save_user_settings(); });
  step([this] { write_log("成功退出"); });
  step([this] { log_file.close(); });
  app.ui.quit();
}

void TForm1::log_teardown_failure(const std::string& what) noexcept {
  try {
    write_log("程序异常：" + (what.empty() ? std::string("未知错误") : what));
  } catch (...) {
    // The log itself failed; the teardown goes on without it.
  }
}

}  // namespace qvx
