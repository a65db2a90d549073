// Drives and reads a running program from outside as its user would, for the Wine tests: by
// window title, control caption and the notifications the controls send, never by position.
// Started as "ui_probe PROGRAM.exe"; one command a line on standard input, its fields
// separated by tabs, one answer a line on standard output (UTF-8). WINDOW is the exact title of
// one of the program's visible top-level windows, or * for all of them.
//   window TITLE            "ok" while such a window is shown
//   titles                  the titles of the program's visible top-level windows, joined by '|'
//   click WINDOW CAPTION    the enabled button or check box with that caption is clicked
//   enabled WINDOW CAPTION  1 or 0: whether the control with that caption is enabled
//   checked WINDOW CAPTION  1 or 0: whether the check box with that caption is ticked
//   select WINDOW ITEM      the drop-down list holding ITEM has it chosen, as by the user
//   selected WINDOW N       the item chosen in the Nth drop-down list (from 1, in window order)
//   type WINDOW N TEXT      the Nth edit box gets TEXT
//   edit WINDOW N           the text of the Nth edit box
//   items WINDOW N          the items of the Nth list box, joined by '|' (tabs kept)
//   focus WINDOW            the control with the keyboard focus: its class and number ("Edit 1")
//   texts WINDOW            the texts of the windows and their controls, joined by '|'
//   menu WINDOW ID          the window's menu item with that command id is chosen
//   close WINDOW            the window's close box is clicked
//   tray_menu               the notification-area icon is right-clicked
//   popup                   the number of popup menus open
//   popup_close             the open popup menu is closed, as Escape does
//   box                     the text of the open message box
//   box_ok                  the open message box is answered with its OK button
//   painted                 "ok" once no window of the program has anything left to paint
//   gui                     gdi=N user=N windows=N  (GetGuiResources; the windows it owns)
// Answers "none" where nothing matched. Window messages instead of synthetic input: no focus,
// pointer or timing to go wrong, and each command costs a few milliseconds.
#include <windows.h>

#include <iostream>
#include <string>
#include <vector>

#include "tests/wine/ui_windows.h"
#include "tests/wine/window_text.h"

namespace {

using namespace qvx_probe;

// The tray icon's callback message and icon id (widgets/win32/tray_peer.h), and the class of
// the windows that own it.
constexpr UINT kTrayCallback = WM_USER + 100;
constexpr UINT kTrayIconId = 1;
constexpr wchar_t kFormClass[] = L"QuovixForm";

std::wstring wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::vector<std::wstring> fields(const std::wstring& line) {
  std::vector<std::wstring> out(1);
  for (wchar_t c : line) {
    if (c == L'\t') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

// The notification a control sends its parent when the user works it.
void notify_parent(HWND control, WORD code) {
  const WORD id = static_cast<WORD>(GetDlgCtrlID(control));
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(control));
}

HWND control(const Windows& in, const std::wstring& caption) {
  for (HWND w : in.all) {
    if ((GetWindowLongPtrW(w, GWL_STYLE) & WS_CHILD) && text_of(w) == caption) return w;
  }
  return nullptr;
}

std::string flag(bool on) {
  return on ? "1" : "0";
}

std::string click(const Windows& in, const std::wstring& caption) {
  for (HWND w : in.all) {
    if (class_of(w) == L"Button" && text_of(w) == caption && IsWindowEnabled(w)) {
      notify_parent(w, BN_CLICKED);
      return "ok";
    }
  }
  return "none";
}

std::string select(const Windows& in, const std::wstring& item) {
  for (HWND w : in.all) {
    if (class_of(w) != L"ComboBox") continue;
    const LRESULT at = SendMessageW(w, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                    reinterpret_cast<LPARAM>(item.c_str()));
    if (at == CB_ERR) continue;
    SendMessageW(w, CB_SETCURSEL, static_cast<WPARAM>(at), 0);
    notify_parent(w, CBN_SELCHANGE);
    return "ok";
  }
  return "none";
}

std::string selected(const Windows& in, int n) {
  HWND w = nth_of_class(in, L"ComboBox", n);
  if (!w) return "none";
  const LRESULT at = SendMessageW(w, CB_GETCURSEL, 0, 0);
  if (at == CB_ERR) return "";
  wchar_t buf[256] = {};
  if (SendMessageW(w, CB_GETLBTEXTLEN, static_cast<WPARAM>(at), 0) >= 256) return "none";
  SendMessageW(w, CB_GETLBTEXT, static_cast<WPARAM>(at), reinterpret_cast<LPARAM>(buf));
  return utf8(buf);
}

std::string type(const Windows& in, int n, const std::wstring& text) {
  HWND w = nth_of_class(in, L"Edit", n);
  if (!w) return "none";
  SendMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return "ok";
}

// WM_GETTEXT rather than GetWindowText, which does not read another process's edit boxes.
std::string edit_text(const Windows& in, int n) {
  HWND w = nth_of_class(in, L"Edit", n);
  if (!w) return "none";
  wchar_t buf[256] = {};
  SendMessageW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf));
  return utf8(buf);
}

std::string focus(const Windows& in) {
  for (HWND top : in.top) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(top, nullptr), &info) || !info.hwndFocus) {
      continue;
    }
    const std::wstring cls = class_of(info.hwndFocus);
    int n = 0;
    for (HWND w : in.all) {
      if (class_of(w) != cls) continue;
      ++n;
      if (w == info.hwndFocus) return utf8(cls) + " " + std::to_string(n);
    }
  }
  return "none";
}

std::string texts(const Windows& in) {
  std::wstring all;
  for (HWND w : in.all) all += text_of(w) + L"|";
  return utf8(all);
}

std::string items(const Windows& in, int n) {
  HWND w = nth_of_class(in, L"ListBox", n);
  if (!w) return "none";
  std::wstring all;
  const LRESULT count = SendMessageW(w, LB_GETCOUNT, 0, 0);
  for (LRESULT i = 0; i < count; ++i) {
    const LRESULT length = SendMessageW(w, LB_GETTEXTLEN, static_cast<WPARAM>(i), 0);
    if (length == LB_ERR) return "none";
    std::wstring item(static_cast<std::size_t>(length) + 1, L'\0');
    SendMessageW(w, LB_GETTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(item.data()));
    all += item.c_str() + std::wstring(L"|");
  }
  return utf8(all);
}

std::string titles(DWORD pid) {
  std::wstring all;
  for (HWND w : windows_of(pid, true).top) all += text_of(w) + L"|";
  return utf8(all);
}

std::string menu(const Windows& in, UINT id) {
  if (in.top.empty()) return "none";
  PostMessageW(in.top.front(), WM_COMMAND, MAKEWPARAM(id, 0), 0);
  return "ok";
}

std::string close(const Windows& in) {
  if (in.top.empty()) return "none";
  PostMessageW(in.top.front(), WM_SYSCOMMAND, SC_CLOSE, 0);
  return "ok";
}

// What the shell sends the icon's owner for a right click (NOTIFYICON_VERSION_4: the event in
// the low word, the icon in the high word, the pointer in wParam). The owner is one of the
// program's forms, hidden or not; the others pass the message by.
std::string tray_menu(DWORD pid) {
  POINT at{};
  GetCursorPos(&at);
  int sent = 0;
  for (HWND w : windows_of(pid, false).top) {
    if (class_of(w) != kFormClass) continue;
    PostMessageW(w, kTrayCallback, MAKEWPARAM(at.x, at.y), MAKELPARAM(WM_CONTEXTMENU, kTrayIconId));
    ++sent;
  }
  return sent ? "ok" : "none";
}

std::vector<HWND> popups(DWORD pid) {
  std::vector<HWND> found;
  for (HWND w : windows_of(pid, true).top) {
    if (class_of(w) == L"#32768") found.push_back(w);
  }
  return found;
}

// The menu's own loop takes the key from the queue of the thread that tracks it.
std::string popup_close(DWORD pid) {
  const auto open = popups(pid);
  if (open.empty()) return "none";
  PostMessageW(open.back(), WM_KEYDOWN, VK_ESCAPE, 0);
  return "ok";
}

HWND message_box(DWORD pid) {
  for (HWND w : windows_of(pid, true).top) {
    if (class_of(w) == L"#32770") return w;
  }
  return nullptr;
}

std::string box_text(DWORD pid) {
  HWND box = message_box(pid);
  if (!box) return "none";
  std::wstring text;
  Windows inside{pid, true, {}, {}};
  EnumChildWindows(box, add_child, reinterpret_cast<LPARAM>(&inside));
  for (HWND w : inside.all) {
    if (class_of(w) == L"Static" && !text_of(w).empty()) text += text_of(w);
  }
  for (auto& c : text) {
    if (c == L'\n' || c == L'\r') c = L' ';
  }
  return utf8(text);
}

std::string box_ok(DWORD pid) {
  HWND box = message_box(pid);
  if (!box) return "none";
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED),
               reinterpret_cast<LPARAM>(GetDlgItem(box, IDOK)));
  return "ok";
}

// A window still to be painted has an update region; its thread paints it once idle.
std::string painted(DWORD pid) {
  const Windows shown = windows_of(pid, true);
  if (shown.top.empty()) return "none";
  for (HWND w : shown.all) {
    if (GetUpdateRect(w, nullptr, FALSE)) return "pending";
  }
  return "ok";
}

std::string gui(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION, FALSE, pid);
  if (!process) return "none";
  // "GetGuiResources function (winuser.h)", learn.microsoft.com: 0 is the count of a process
  // without GUI objects and also a failure, told apart by GetLastError only. A process with
  // windows has GUI objects, so its 0 with an error is no figure (Wine's stub answers so).
  SetLastError(0);
  const DWORD gdi = GetGuiResources(process, GR_GDIOBJECTS);
  const DWORD gdi_error = gdi ? 0 : GetLastError();
  const DWORD user = GetGuiResources(process, GR_USEROBJECTS);
  CloseHandle(process);
  std::string out = "gdi=" + std::to_string(gdi) + " user=" + std::to_string(user) +
                    " windows=" + std::to_string(windows_of(pid, false).all.size());
  if (gdi_error) out += " gdi_error=" + std::to_string(gdi_error);
  return out;
}

std::string answer(DWORD pid, const std::vector<std::wstring>& f) {
  const std::wstring& command = f[0];
  const std::size_t n = f.size();
  if (command == L"popup") return std::to_string(popups(pid).size());
  if (command == L"popup_close") return popup_close(pid);
  if (command == L"box") return box_text(pid);
  if (command == L"box_ok") return box_ok(pid);
  if (command == L"painted") return painted(pid);
  if (command == L"gui") return gui(pid);
  if (command == L"titles") return titles(pid);
  if (command == L"tray_menu") return tray_menu(pid);
  if (n < 2) return "unknown command";
  const Windows in = windows_titled(pid, f[1]);
  if (command == L"window" && n == 2) return in.top.empty() ? "none" : "ok";
  if (in.top.empty()) return "none";
  if (command == L"focus" && n == 2) return focus(in);
  if (command == L"texts" && n == 2) return texts(in);
  if (command == L"close" && n == 2) return close(in);
  if (n < 3) return "unknown command";
  const std::wstring& arg = f[2];
  if (command == L"click" && n == 3) return click(in, arg);
  if (command == L"select" && n == 3) return select(in, arg);
  if (command == L"selected" && n == 3) return selected(in, _wtoi(arg.c_str()));
  if (command == L"edit" && n == 3) return edit_text(in, _wtoi(arg.c_str()));
  if (command == L"items" && n == 3) return items(in, _wtoi(arg.c_str()));
  if (command == L"menu" && n == 3) return menu(in, static_cast<UINT>(_wtoi(arg.c_str())));
  if (command == L"type" && n == 4) return type(in, _wtoi(arg.c_str()), f[3]);
  HWND w = control(in, arg);
  if (command == L"enabled" && n == 3) return w ? flag(IsWindowEnabled(w)) : "none";
  if (command == L"checked" && n == 3) {
    return w ? flag(SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED) : "none";
  }
  return "unknown command";
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::cerr << "usage: ui_probe PROGRAM.exe < commands\n";
    return 2;
  }
  const std::wstring program = wide(argv[1]);
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const DWORD pid = process_named(program);
    std::cout << (pid ? answer(pid, fields(wide(line))) : "none") << std::endl;
  }
  return 0;
}
