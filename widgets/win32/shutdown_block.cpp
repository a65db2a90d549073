#include "widgets/win32/shutdown_block.h"

namespace qvx::widgets::win32 {

namespace {

using CreateFn = BOOL(WINAPI*)(HWND, LPCWSTR);
using DestroyFn = BOOL(WINAPI*)(HWND);

struct Calls {
  CreateFn create = nullptr;
  DestroyFn destroy = nullptr;
};

const Calls& calls() {
  static const Calls bound = [] {
    Calls c;
    // user32 is loaded in every GUI process; a name lookup cannot plant anything here.
    if (HMODULE user32 = GetModuleHandleW(L"user32.dll")) {
      c.create = reinterpret_cast<CreateFn>(
          reinterpret_cast<void*>(GetProcAddress(user32, "ShutdownBlockReasonCreate")));
      c.destroy = reinterpret_cast<DestroyFn>(
          reinterpret_cast<void*>(GetProcAddress(user32, "ShutdownBlockReasonDestroy")));
    }
    return c;
  }();
  return bound;
}

}  // namespace

// Only the thread that created the window may call either function (ERROR_ACCESS_DENIED
// otherwise); Destroy without a reason set is a no-op. Reasons are to be short and clear.
// https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-shutdownblockreasoncreate
// https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-shutdownblockreasondestroy
bool set_shutdown_block_reason(HWND window, const std::wstring& reason) {
  const Calls& c = calls();
  if (!window) return false;
  if (reason.empty()) return c.destroy && c.destroy(window);
  return c.create && c.create(window, reason.c_str());
}

}  // namespace qvx::widgets::win32
