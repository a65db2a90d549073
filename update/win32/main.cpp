// update.exe: started by the client from its folder when the service asks for a newer
// version. The update runs on a worker thread; this thread keeps the progress window alive.
#include <windows.h>

#include <string>
#include <thread>

#include "platform/win32/dll_search.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_text.h"
#include "shell/deployment.h"
#include "update/update_flow.h"
#include "update/win32/progress_window.h"
#include "update/win32/win32_front.h"
#include "version/quovix_version.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  qvx::win32::restrict_dll_search();
  qvx::Win32Platform os;
  const std::string program = os.platform().files.program_path();
  const std::string dir = program.substr(0, program.find_last_of('\\') + 1);
  DeleteFileW(qvx::win32::wide_from_gbk(dir + qvx::update::win32::kSetAsideName).c_str());

  qvx::Win32Downloader downloader;
  qvx::update::win32::ProgressWindow window([&downloader] { downloader.cancel(); });
  if (!window.create(instance)) return 1;
  qvx::update::win32::Win32Front front(os.platform(), window, downloader, dir, program);

  const qvx::Deployment deployment = qvx::Deployment::built_in();
  const std::vector<std::string> servers = {deployment.servers[0].authority(),
                                            deployment.servers[1].authority()};
  qvx::update::Outcome outcome = qvx::update::Outcome::updated;
  std::thread worker([&] {
    outcome = qvx::update::run_update(front, servers, qvx::kServiceVersion).outcome;
    window.close();
  });
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window.window(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  worker.join();
  return outcome == qvx::update::Outcome::updated ? 0 : 1;
}
