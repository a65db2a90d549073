// Process entry: the real platform and user interface, the application, the message loop.
#include <windows.h>

#include <exception>
#include <memory>
#include <string>

#include "platform/win32/dll_search.h"
#include "platform/win32/win32_platform.h"
#include "shell/application.h"
#include "shell/process_end.h"
#include "shell/unit1.h"
#include "status/unit2.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/win32_ui.h"

namespace {

void run_client() {
  // The platform and the toolkit outlive the application, which shuts the windows down while
  // the controls they mirror still exist.
  qvx::Win32Platform os;
  qvx::widgets::win32::Win32Ui ui;
  auto app = std::make_unique<qvx::Application>(os.platform(), ui, qvx::Deployment::built_in());
  if (!app->start()) return;
  ui.attach_menu_bar(*app->Form2, app->Form2->suiMainMenu1);
  ui.attach_tray_icon(*app->Form1, app->Form1->RzTrayIcon1);
  ui.run();
  // The teardown has run; a worker still blocked must not keep this windowless process, and
  // with it the mutex, alive.
  qvx::end_process(std::move(app));
}

void show_exception(const std::string& text) {
  using qvx::widgets::win32::widen;
  MessageBoxW(nullptr, widen(text).c_str(), widen(qvx::kAppTitle).c_str(),
              MB_OK | MB_ICONERROR | MB_TASKMODAL);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  qvx::win32::restrict_dll_search();
  try {
    run_client();
  } catch (const std::exception& e) {
    show_exception(e.what());
  } catch (...) {
    show_exception(std::string());
  }
  // The exit code is 0 whatever happened. Every worker has been joined by now.
  ExitProcess(0);
}
