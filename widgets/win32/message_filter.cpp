#include "widgets/win32/message_filter.h"

namespace qvx::widgets::win32 {

namespace {

using FilterExFn = BOOL(WINAPI*)(HWND, UINT, DWORD, void*);
using FilterFn = BOOL(WINAPI*)(UINT, DWORD);
constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for the process-wide form

template <typename Fn>
Fn user32_entry(const char* name) {
  const HMODULE user32 = GetModuleHandleW(L"user32.dll");
  return user32 ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(user32, name)))
                : nullptr;
}

}  // namespace

// "ChangeWindowMessageFilterEx function (winuser.h)", learn.microsoft.com: Windows 7 and
// later, per window. "ChangeWindowMessageFilter function (winuser.h)": Windows Vista, for the
// whole process. Before Vista there is no such filter and nothing to do.
void allow_message_from_shell(HWND window, UINT message) {
  if (const auto per_window = user32_entry<FilterExFn>("ChangeWindowMessageFilterEx")) {
    per_window(window, message, kAllow, nullptr);
  } else if (const auto per_process = user32_entry<FilterFn>("ChangeWindowMessageFilter")) {
    per_process(message, kAllow);
  }
}

}  // namespace qvx::widgets::win32
