// The windows of one program as ui_probe sees them from outside: its top-level windows and
// their controls, found by title, caption and class.
#pragma once
#include <windows.h>

#include <tlhelp32.h>

#include <string>
#include <vector>

#include "tests/wine/window_text.h"

namespace qvx_probe {

inline std::wstring class_of(HWND w) {
  wchar_t buf[64];
  const int n = GetClassNameW(w, buf, 64);
  return std::wstring(buf, static_cast<std::size_t>(n > 0 ? n : 0));
}

// The process of the program with that file name ("quovix.exe"); 0 while none runs.
inline DWORD process_named(const std::wstring& exe) {
  DWORD pid = 0;
  HANDLE snap = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
  if (snap == INVALID_HANDLE_VALUE) return 0;
  PROCESSENTRY32W e{};
  e.dwSize = sizeof e;
  for (BOOL ok = Process32FirstW(snap, &e); ok; ok = Process32NextW(snap, &e)) {
    if (lstrcmpiW(e.szExeFile, exe.c_str()) == 0) pid = e.th32ProcessID;
  }
  CloseHandle(snap);
  return pid;
}

struct Windows {
  DWORD pid;
  bool visible_only;
  std::vector<HWND> top, all;
};

inline BOOL CALLBACK add_child(HWND w, LPARAM p) {
  auto* found = reinterpret_cast<Windows*>(p);
  if (!found->visible_only || IsWindowVisible(w)) found->all.push_back(w);
  return TRUE;
}

inline BOOL CALLBACK add_top(HWND w, LPARAM p) {
  auto* found = reinterpret_cast<Windows*>(p);
  DWORD pid = 0;
  GetWindowThreadProcessId(w, &pid);
  if (pid != found->pid || (found->visible_only && !IsWindowVisible(w))) return TRUE;
  found->top.push_back(w);
  found->all.push_back(w);
  EnumChildWindows(w, add_child, p);
  return TRUE;
}

inline Windows windows_of(DWORD pid, bool visible_only) {
  Windows found{pid, visible_only, {}, {}};
  if (pid) EnumWindows(add_top, reinterpret_cast<LPARAM>(&found));
  return found;
}

// The visible top-level windows titled TITLE ("*": all of them) with their visible controls.
inline Windows windows_titled(DWORD pid, const std::wstring& title) {
  Windows all = windows_of(pid, true);
  if (title == L"*") return all;
  Windows found{pid, true, {}, {}};
  for (HWND w : all.top) {
    if (text_of(w) != title) continue;
    found.top.push_back(w);
    found.all.push_back(w);
    EnumChildWindows(w, add_child, reinterpret_cast<LPARAM>(&found));
  }
  return found;
}

// The Nth (from 1) control of a class among them, in window order.
inline HWND nth_of_class(const Windows& in, const std::wstring& cls, int wanted) {
  int n = 0;
  for (HWND w : in.all) {
    if (class_of(w) == cls && ++n == wanted) return w;
  }
  return nullptr;
}

}  // namespace qvx_probe
