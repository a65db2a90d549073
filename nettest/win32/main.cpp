// The speed test's entry: the node list beside the program, the window and its message loop.
#include <windows.h>

#include <string>

#include "connect/cping.h"
#include "nettest/node_list_file.h"
#include "nettest/win32/speed_window.h"
#include "platform/win32/dll_search.h"
#include "platform/win32/win32_platform.h"
#include "widgets/win32/win32_ui.h"

namespace {

// The folder of the program file, with its final backslash.
std::string folder_of(const std::string& path) {
  const std::size_t slash = path.find_last_of('\\');
  return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int show_command) {
  qvx::win32::restrict_dll_search();
  qvx::Win32Platform os;
  // Only for the ICMP library's error boxes.
  qvx::widgets::win32::Win32Ui ui;
  qvx::IcmpLibrary library(os.platform(), ui);
  const std::string dir = folder_of(os.platform().files.program_path());
  qvx::nettest::win32::SpeedWindow window(library, dir + qvx::nettest::kNodeListFileName);
  if (!window.show(instance, show_command)) return 1;
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (IsDialogMessageW(window.window(), &msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
