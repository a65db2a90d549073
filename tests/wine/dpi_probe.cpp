// Looks at the program's windows from inside through dpi_hook.dll (beside this probe):
//   dpi_probe report FILE           every shown form's controls into FILE; exit 1 when a text
//                                   is clipped
//   dpi_probe change FROM TO BEFORE AFTER
//                                   the status window (the form with a menu bar) reported, sent
//                                   WM_DPICHANGED for TO, reported again; exit 1 unless the
//                                   layout scaled by TO/FROM within a pixel
//   dpi_probe icons EXE             the sizes in EXE's icon resource 1
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "tests/wine/dpi_layout_check.h"

namespace {

constexpr WPARAM kReport = 1;
constexpr WPARAM kChangeDpi = 2;

BOOL CALLBACK add_form(HWND w, LPARAM param) {
  wchar_t cls[32] = {};
  GetClassNameW(w, cls, 32);
  if (IsWindowVisible(w) && lstrcmpW(cls, L"QuovixForm") == 0) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(w);
  }
  return TRUE;
}

std::vector<HWND> forms() {
  std::vector<HWND> found;
  EnumWindows(add_form, reinterpret_cast<LPARAM>(&found));
  return found;
}

HWND status_window() {
  for (HWND w : forms()) {
    if (GetMenu(w)) return w;
  }
  return nullptr;
}

std::wstring beside_me(const wchar_t* name) {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L'\\') + 1) + name;
}

// Runs one probe command on the window's own thread, inside the program.
class Hook {
 public:
  explicit Hook(HWND target) : target_(target) {
    HMODULE dll = LoadLibraryW(beside_me(L"dpi_hook.dll").c_str());
    auto proc = dll ? reinterpret_cast<HOOKPROC>(
                          reinterpret_cast<void*>(GetProcAddress(dll, "dpi_hook_proc")))
                    : nullptr;
    if (proc) {
      hook_ =
          SetWindowsHookExW(WH_CALLWNDPROC, proc, dll, GetWindowThreadProcessId(target, nullptr));
    }
  }
  ~Hook() {
    if (hook_) UnhookWindowsHookEx(hook_);
  }
  bool ok() const { return hook_ != nullptr; }
  void send(WPARAM command, LPARAM argument) {
    static const UINT message = RegisterWindowMessageW(L"QuovixDpiProbe");
    DWORD_PTR result = 0;
    SendMessageTimeoutW(target_, message, command, argument, SMTO_ABORTIFHUNG, 10000, &result);
  }
  // The report the hook just wrote.
  std::string report() {
    DeleteFileW(beside_me(L"dpi_report.txt").c_str());
    send(kReport, 0);
    std::ifstream in(beside_me(L"dpi_report.txt").c_str(), std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
  }

 private:
  HWND target_;
  HHOOK hook_ = nullptr;
};

bool write_file(const char* path, const std::string& text) {
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << text;
  return static_cast<bool>(out);
}

int report(const char* path) {
  const std::vector<HWND> shown = forms();
  if (shown.empty()) {
    std::printf("no form is shown\n");
    return 2;
  }
  int clipped = 0;
  for (HWND w : shown) {
    Hook hook(w);
    if (!hook.ok()) {
      std::printf("the hook could not be set\n");
      return 2;
    }
    const std::string text = hook.report();
    if (text.empty()) {
      std::printf("the hook wrote no report\n");
      return 2;
    }
    write_file(path, text);
    std::fputs(text.c_str(), stdout);
    for (const auto& box : qvx::dpi_check::parse_report(text)) {
      if (!qvx::dpi_check::clipped(box)) continue;
      std::printf("CLIPPED %s \"%s\": text %dx%d in %dx%d\n", box.kind.c_str(), box.text.c_str(),
                  box.text_width, box.text_height, box.room_width, box.room_height);
      ++clipped;
    }
  }
  return clipped ? 1 : 0;
}

int change(int from, int to, const char* before_path, const char* after_path) {
  HWND status = status_window();
  if (!status) {
    std::printf("no status window is shown\n");
    return 2;
  }
  Hook hook(status);
  if (!hook.ok()) {
    std::printf("the hook could not be set\n");
    return 2;
  }
  const std::string before = hook.report();
  hook.send(kChangeDpi, MAKELPARAM(from, to));
  const std::string after = hook.report();
  write_file(before_path, before);
  write_file(after_path, after);
  const auto b = qvx::dpi_check::parse_report(before);
  const auto a = qvx::dpi_check::parse_report(after);
  if (b.empty()) {
    std::printf("no controls reported\n");
    return 2;
  }
  const auto problems = qvx::dpi_check::compare_scaled(b, from, a, to, 1);
  for (const auto& p : problems) std::printf("MISMATCH %s\n", p.c_str());
  std::printf("%zu controls from %d to %d dpi: %zu mismatches\n", b.size(), from, to,
              problems.size());
  return problems.empty() ? 0 : 1;
}

// The group icon directory: a header of three words, then 14-byte entries whose first two
// bytes are the width and height (0 standing for 256).
int icons(const char* exe) {
  HMODULE module = LoadLibraryExA(exe, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  HRSRC found = module ? FindResourceW(module, MAKEINTRESOURCEW(1), RT_GROUP_ICON) : nullptr;
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const auto* bytes = loaded ? static_cast<const unsigned char*>(LockResource(loaded)) : nullptr;
  if (!bytes) {
    std::printf("no icon group 1\n");
    return 2;
  }
  const int count = bytes[4] | (bytes[5] << 8);
  for (int i = 0; i < count; ++i) {
    const unsigned char* entry = bytes + 6 + 14 * i;
    std::printf("%dx%d\n", entry[0] ? entry[0] : 256, entry[1] ? entry[1] : 256);
  }
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string verb = argc > 1 ? argv[1] : "";
  if (verb == "report" && argc == 3) return report(argv[2]);
  if (verb == "change" && argc == 6) {
    return change(std::atoi(argv[2]), std::atoi(argv[3]), argv[4], argv[5]);
  }
  if (verb == "icons" && argc == 3) return icons(argv[2]);
  std::fprintf(stderr, "usage: dpi_probe report FILE | change FROM TO BEFORE AFTER | icons EXE\n");
  return 2;
}
