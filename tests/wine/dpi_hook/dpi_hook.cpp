// A window hook dpi_probe sets on the program's GUI thread. Windows loads this DLL into the
// program to call it, so what it does runs inside the program, on the window's own thread:
// - it measures every control's text with the control's own font (a font handle means nothing
//   in another process) and writes a report beside this DLL;
// - it sends WM_DPICHANGED with the suggested rectangle in the program's own memory, which is
//   what Windows does when the window reaches a monitor of another DPI. Sent from another
//   process, lParam would point into the sender's memory.
// "SetWindowsHookExW function (winuser.h)", learn.microsoft.com: a hook for a thread of another
// process must be in a DLL. "CallWndProc callback function": a WH_CALLWNDPROC hook sees each
// message sent to the thread's windows before the window procedure does.
#include <windows.h>

#include <cstdio>
#include <string>

#include "tests/wine/window_text.h"

namespace {

using qvx_probe::text_of;
using qvx_probe::utf8;

constexpr WPARAM kReport = 1;
constexpr WPARAM kChangeDpi = 2;

HMODULE self_module() {
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&self_module), &module);
  return module;
}

std::wstring report_path() {
  wchar_t path[MAX_PATH] = {};
  GetModuleFileNameW(self_module(), path, MAX_PATH);
  std::wstring p(path);
  return p.substr(0, p.find_last_of(L'\\') + 1) + L"dpi_report.txt";
}

int window_dpi(HWND w) {
  using Fn = UINT(WINAPI*)(HWND);
  const auto get = reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "GetDpiForWindow")));
  if (get) return static_cast<int>(get(w));
  HDC screen = GetDC(nullptr);
  const int dpi = GetDeviceCaps(screen, LOGPIXELSY);
  ReleaseDC(nullptr, screen);
  return dpi;
}

// 2 for per-monitor aware, 1 for system aware, 0 unaware, -1 where Windows cannot tell.
int thread_awareness() {
  using GetContext = HANDLE(WINAPI*)();
  using GetAwareness = int(WINAPI*)(HANDLE);
  HMODULE user32 = GetModuleHandleW(L"user32.dll");
  const auto context = reinterpret_cast<GetContext>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetThreadDpiAwarenessContext")));
  const auto awareness = reinterpret_cast<GetAwareness>(
      reinterpret_cast<void*>(GetProcAddress(user32, "GetAwarenessFromDpiAwarenessContext")));
  return context && awareness ? awareness(context()) : -1;
}

struct Report {
  HWND form;
  int dpi;
  std::string lines;
};

int scale(int v, int dpi) {
  return MulDiv(v, dpi, 96);
}

// The text a control shows and the part of its client area that text may use, as the control
// draws it: beside a check box's box, inside a button's edges, left of a drop-down's arrow.
void measure(HWND w, const std::wstring& cls, int dpi, std::string& out) {
  const LONG style = GetWindowLongW(w, GWL_STYLE);
  std::wstring text = text_of(w);
  RECT client;
  GetClientRect(w, &client);
  int room_w = client.right, room_h = client.bottom;
  bool wraps = false;
  if (lstrcmpiW(cls.c_str(), L"Button") == 0) {
    switch (style & BS_TYPEMASK) {
      case BS_GROUPBOX:
        room_w -= 2 * scale(8, dpi);
        break;
      case BS_CHECKBOX:
      case BS_AUTOCHECKBOX:
      case BS_RADIOBUTTON:
      case BS_AUTORADIOBUTTON:
        room_w -= scale(13 + 4, dpi);  // the 13-px box and the gap after it
        break;
      default:
        room_w -= 2 * GetSystemMetrics(SM_CXEDGE);
        room_h -= 2 * GetSystemMetrics(SM_CYEDGE);
        break;
    }
  } else if (lstrcmpiW(cls.c_str(), L"ComboBox") == 0) {
    const LRESULT index = SendMessageW(w, CB_GETCURSEL, 0, 0);
    text.clear();
    if (index >= 0) {
      text.resize(static_cast<std::size_t>(SendMessageW(w, CB_GETLBTEXTLEN, index, 0)) + 1);
      text.resize(static_cast<std::size_t>(
          SendMessageW(w, CB_GETLBTEXT, index, reinterpret_cast<LPARAM>(text.data()))));
    }
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(w, &info)) {
      room_w = info.rcItem.right - info.rcItem.left;
      room_h = info.rcItem.bottom - info.rcItem.top;
    }
  } else if (lstrcmpiW(cls.c_str(), L"Static") == 0) {
    wraps = (style & SS_TYPEMASK) == SS_LEFT;
  } else {
    text.clear();  // edit boxes scroll; containers show no text of their own
  }
  SIZE extent{};
  LOGFONTW font{};
  HFONT handle = reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0));
  if (handle) GetObjectW(handle, sizeof font, &font);
  if (!text.empty()) {
    HDC dc = GetDC(w);
    HGDIOBJ old =
        SelectObject(dc, handle ? static_cast<HGDIOBJ>(handle) : GetStockObject(SYSTEM_FONT));
    if (wraps) {
      // A wrapping label is clipped only when its wrapped lines need more height than it has.
      RECT need{0, 0, room_w, 0};
      DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &need,
                DT_CALCRECT | DT_WORDBREAK | DT_NOPREFIX);
      extent = SIZE{need.right, need.bottom};
    } else {
      GetTextExtentPoint32W(dc, text.c_str(), static_cast<int>(text.size()), &extent);
    }
    SelectObject(dc, old);
    ReleaseDC(w, dc);
  }
  char line[160];
  std::snprintf(line, sizeof line, " text=%ldx%ld room=%dx%d font=%ld visible=%d \"",
                static_cast<long>(extent.cx), static_cast<long>(extent.cy), room_w, room_h,
                static_cast<long>(font.lfHeight), IsWindowVisible(w) ? 1 : 0);
  out += line + utf8(text) + "\"\n";
}

BOOL CALLBACK report_child(HWND w, LPARAM param) {
  auto& r = *reinterpret_cast<Report*>(param);
  wchar_t cls[64] = {};
  GetClassNameW(w, cls, 64);
  RECT box;
  GetWindowRect(w, &box);
  MapWindowPoints(nullptr, r.form, reinterpret_cast<POINT*>(&box), 2);
  char head[200];
  std::snprintf(head, sizeof head, "control %s %ld %ld %ld %ld", utf8(cls).c_str(),
                static_cast<long>(box.left), static_cast<long>(box.top),
                static_cast<long>(box.right), static_cast<long>(box.bottom));
  r.lines += head;
  measure(w, cls, r.dpi, r.lines);
  return TRUE;
}

void write_report(HWND form) {
  Report r{form, window_dpi(form), std::string()};
  RECT client, frame;
  GetClientRect(form, &client);
  GetWindowRect(form, &frame);
  char head[300];
  std::snprintf(head, sizeof head,
                "window dpi=%d awareness=%d menu=%d client=%ldx%ld frame=%ld,%ld,%ld,%ld \"", r.dpi,
                thread_awareness(), GetMenu(form) ? 1 : 0, static_cast<long>(client.right),
                static_cast<long>(client.bottom), static_cast<long>(frame.left),
                static_cast<long>(frame.top), static_cast<long>(frame.right),
                static_cast<long>(frame.bottom));
  r.lines = head + utf8(text_of(form)) + "\"\n";
  EnumChildWindows(form, report_child, reinterpret_cast<LPARAM>(&r));
  if (FILE* f = _wfopen(report_path().c_str(), L"wb")) {
    std::fwrite(r.lines.data(), 1, r.lines.size(), f);
    std::fclose(f);
  }
}

// Windows suggests the frame scaled about its top-left corner for the new DPI.
void change_dpi(HWND form, int from, int to) {
  RECT suggested;
  GetWindowRect(form, &suggested);
  suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, to, from);
  suggested.bottom = suggested.top + MulDiv(suggested.bottom - suggested.top, to, from);
  SendMessageW(form, WM_DPICHANGED, MAKEWPARAM(to, to), reinterpret_cast<LPARAM>(&suggested));
}

}  // namespace

extern "C" __declspec(dllexport) LRESULT CALLBACK dpi_hook_proc(int code, WPARAM wp, LPARAM lp) {
  static const UINT probe_message = RegisterWindowMessageW(L"QuovixDpiProbe");
  if (code == HC_ACTION) {
    const auto* sent = reinterpret_cast<const CWPSTRUCT*>(lp);
    if (sent->message == probe_message) {
      if (sent->wParam == kReport) write_report(sent->hwnd);
      if (sent->wParam == kChangeDpi) {
        change_dpi(sent->hwnd, LOWORD(sent->lParam), HIWORD(sent->lParam));
      }
    }
  }
  return CallNextHookEx(nullptr, code, wp, lp);
}
