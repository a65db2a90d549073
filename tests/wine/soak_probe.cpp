// Drives and measures the running client from outside for the Wine soak, one command a line on
// standard input, one answer a line on standard output (UTF-8):
//   gui               gdi=N user=N windows=N  (GetGuiResources of the client; windows it owns)
//   click CAPTION     a visible button or check box of the client with that caption is clicked
//   has CAPTION       "ok" while such a button is there and enabled
//   select ITEM       the visible drop-down list holding ITEM has it chosen, as by the user
//   type N TEXT       the client's Nth visible edit box (from 1, in window order) gets TEXT
//   edit N            the text of that edit box
//   checked CAPTION   1 or 0: whether the visible check box with that caption is ticked
//   close TITLE       the visible top-level window whose title starts with TITLE is closed
//   texts             the texts of all the client's visible windows, joined by '|'
//   box               the text of the client's open message box, or "none"
//   box_ok            the open message box is answered with its OK button
// Answers "none" where nothing matched. Window messages instead of synthetic input: no focus,
// pointer or timing to go wrong, and each command costs a few milliseconds.
#include <windows.h>

#include <tlhelp32.h>

#include <iostream>
#include <string>
#include <vector>

#include "tests/wine/window_text.h"

namespace {

using qvx_probe::text_of;
using qvx_probe::utf8;

std::wstring wide(const std::string& s) {
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring out(static_cast<std::size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), out.data(), n);
  return out;
}

std::wstring class_of(HWND w) {
  wchar_t buf[64];
  const int n = GetClassNameW(w, buf, 64);
  return std::wstring(buf, static_cast<std::size_t>(n > 0 ? n : 0));
}

DWORD client_pid() {
  DWORD pid = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
    if (lstrcmpiW(e.szExeFile, L"quovix.exe") == 0) pid = e.th32ProcessID;
  }
  CloseHandle(snap);
  return pid;
}

struct Windows {
  DWORD pid;
  bool visible_only;
  std::vector<HWND> top, all;
};

BOOL CALLBACK add_child(HWND w, LPARAM p) {
  auto* found = reinterpret_cast<Windows*>(p);
  if (!found->visible_only || IsWindowVisible(w)) found->all.push_back(w);
  return TRUE;
}

BOOL CALLBACK add_top(HWND w, LPARAM p) {
  auto* found = reinterpret_cast<Windows*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != found->pid || (found->visible_only && !IsWindowVisible(w))) return TRUE;
  found->top.push_back(w);
  found->all.push_back(w);
  EnumChildWindows(w, add_child, p);
  return TRUE;
}

Windows windows_of(DWORD pid, bool visible_only) {
  Windows found{pid, visible_only, {}, {}};
  if (pid) EnumWindows(add_top, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The notification a control sends its parent when the user works it.
void notify_parent(HWND control, WORD code) {
  const WORD id = static_cast<WORD>(GetDlgCtrlID(control));
  PostMessageW(GetParent(control), WM_COMMAND, MAKEWPARAM(id, code),
               reinterpret_cast<LPARAM>(control));
}

HWND message_box(DWORD pid) {
  for (HWND w : windows_of(pid, true).top) {
    if (class_of(w) == L"#32770") return w;
  }
  return nullptr;
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

HWND button(DWORD pid, const std::wstring& caption) {
  for (HWND w : windows_of(pid, true).all) {
    if (class_of(w) == L"Button" && text_of(w) == caption && IsWindowEnabled(w)) return w;
  }
  return nullptr;
}

std::string click(DWORD pid, const std::wstring& caption) {
  HWND w = button(pid, caption);
  if (!w) return "none";
  notify_parent(w, BN_CLICKED);
  return "ok";
}

std::string select(DWORD pid, const std::wstring& item) {
  for (HWND w : windows_of(pid, true).all) {
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

HWND edit_box(DWORD pid, int wanted) {
  int n = 0;
  for (HWND w : windows_of(pid, true).all) {
    if (class_of(w) == L"Edit" && ++n == wanted) return w;
  }
  return nullptr;
}

std::string type(DWORD pid, const std::wstring& arg) {
  const auto space = arg.find(L' ');
  HWND w = edit_box(pid, _wtoi(arg.substr(0, space).c_str()));
  if (!w) return "none";
  const std::wstring text = space == std::wstring::npos ? L"" : arg.substr(space + 1);
  SendMessageW(w, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  return "ok";
}

// WM_GETTEXT rather than GetWindowText, which does not read another process's controls.
std::string edit_text(DWORD pid, const std::wstring& arg) {
  HWND w = edit_box(pid, _wtoi(arg.c_str()));
  if (!w) return "none";
  wchar_t buf[256] = {};
  SendMessageW(w, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(buf));
  return utf8(buf);
}

std::string checked(DWORD pid, const std::wstring& caption) {
  for (HWND w : windows_of(pid, true).all) {
    if (class_of(w) == L"Button" && text_of(w) == caption) {
      return SendMessageW(w, BM_GETCHECK, 0, 0) == BST_CHECKED ? "1" : "0";
    }
  }
  return "none";
}

std::string close(DWORD pid, const std::wstring& title) {
  for (HWND w : windows_of(pid, true).top) {
    if (text_of(w).compare(0, title.size(), title) == 0) {
      PostMessageW(w, WM_CLOSE, 0, 0);
      return "ok";
    }
  }
  return "none";
}

std::string texts(DWORD pid) {
  std::wstring all;
  for (HWND w : windows_of(pid, true).all) all += text_of(w) + L"|";
  return utf8(all);
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

}  // namespace

int main() {
  std::string line;
  while (std::getline(std::cin, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto space = line.find(' ');
    const std::string command = line.substr(0, space);
    const std::wstring arg = space == std::string::npos ? L"" : wide(line.substr(space + 1));
    const DWORD pid = client_pid();
    std::string answer = "none";
    if (!pid) {
      answer = "none";
    } else if (command == "gui") {
      answer = gui(pid);
    } else if (command == "click") {
      answer = click(pid, arg);
    } else if (command == "has") {
      answer = button(pid, arg) ? "ok" : "none";
    } else if (command == "select") {
      answer = select(pid, arg);
    } else if (command == "type") {
      answer = type(pid, arg);
    } else if (command == "edit") {
      answer = edit_text(pid, arg);
    } else if (command == "checked") {
      answer = checked(pid, arg);
    } else if (command == "close") {
      answer = close(pid, arg);
    } else if (command == "texts") {
      answer = texts(pid);
    } else if (command == "box") {
      answer = box_text(pid);
    } else if (command == "box_ok") {
      answer = box_ok(pid);
    } else {
      answer = "unknown command";
    }
    std::cout << answer << std::endl;
  }
  return 0;
}
