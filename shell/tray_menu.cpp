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

void TForm1::N5Click() {
  app.Form2->suiButton2.click();
  N5.set_enabled(false);
}

void TForm1::N4Click() {
  app.Form2->suiButton2.click();
  N4.set_enabled(false);
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
  if (busy()) {
    app.ui.message_box(app.Form2, "正在连接或挂断，请稍候再退出！", kAppTitle, widgets::kMbOk);
    return;
  }
  app.Form2->hide();
  close();
  app.Form2->close();
}

// Logging off cannot be refused, so instead of the busy test's refusal the dial or hang-up under
// way is let finish (its steps on this thread still run); then the exit's teardown.
void TForm1::end_session() {
  constexpr unsigned kWorkerWaitMs = 20000;
  app.ui.run_until([this] { return !connection_worker_running(); }, kWorkerWaitMs);
  app.Form2->hide();
  close();
  app.Form2->close();
}

void TForm1::FormClose() {
  // The connection is about to go: no second look at it may follow.
  app.Form2->stop_link_monitor();
  app.Form2->redial.cancel("连接状态： 未连接");
  try {
    dialer.clean_up();
  } catch (const error_message&) {
    // The program ends anyway; the rest of the teardown must still run.
  }
  CppWebBrowser1.stop();
  app.Form2->CppWebBrowser1.stop();
  app.Form4->CppWebBrowser1.stop();
  save_user_settings();
  write_log("成功退出");
  log_file.close();
  app.ui.quit();
}

}  // namespace qvx
