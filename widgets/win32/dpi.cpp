#include "widgets/win32/dpi.h"

#include "widgets/dpi_scale.h"

namespace qvx::widgets::win32 {

namespace {

template <typename Fn>
Fn entry(const wchar_t* module, const char* name) {
  const HMODULE library = GetModuleHandleW(module);
  return library ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)))
                 : nullptr;
}

}  // namespace

int system_dpi() {
  static const int dpi = [] {
    int value = 0;
    if (HDC screen = GetDC(nullptr)) {
      value = GetDeviceCaps(screen, LOGPIXELSY);
      ReleaseDC(nullptr, screen);
    }
    return value > 0 ? value : kDesignDpi;
  }();
  return dpi;
}

// "GetDpiForWindow function (winuser.h)", learn.microsoft.com: Windows 10 1607 and later; the
// value depends on the window's awareness, its monitor's DPI for a per-monitor aware window.
int window_dpi(HWND window) {
  using Fn = UINT(WINAPI*)(HWND);
  static const Fn get = entry<Fn>(L"user32.dll", "GetDpiForWindow");
  const int dpi = get && window ? static_cast<int>(get(window)) : 0;
  return dpi > 0 ? dpi : system_dpi();
}

// "GetSystemMetricsForDpi function (winuser.h)", learn.microsoft.com: Windows 10 1607 and later.
int system_metric(int index, int dpi) {
  using Fn = int(WINAPI*)(int, UINT);
  static const Fn get = entry<Fn>(L"user32.dll", "GetSystemMetricsForDpi");
  if (get) return get(index, static_cast<UINT>(dpi));
  return MulDiv(GetSystemMetrics(index), dpi, system_dpi());
}

HICON load_icon(HINSTANCE instance, int resource, int size) {
  return static_cast<HICON>(
      LoadImageW(instance, MAKEINTRESOURCEW(resource), IMAGE_ICON, size, size, 0));
}

// "NOTIFYICONDATAW structure (shellapi.h)", learn.microsoft.com: hIcon should come from
// LoadIconMetric with LIM_SMALL so that the size matches the shell's at any DPI.
// "LoadIconMetric function (commctrl.h)": Windows Vista, comctl32 version 6; it takes the
// resource's image of exactly that size and scales another one only when there is none.
HICON load_tray_icon(HINSTANCE instance, int resource) {
  using Fn = HRESULT(WINAPI*)(HINSTANCE, PCWSTR, int, HICON*);
  static const Fn load = entry<Fn>(L"comctl32.dll", "LoadIconMetric");
  constexpr int kLimSmall = 0;
  HICON icon = nullptr;
  if (load && SUCCEEDED(load(instance, MAKEINTRESOURCEW(resource), kLimSmall, &icon)) && icon) {
    return icon;
  }
  return load_icon(instance, resource, GetSystemMetrics(SM_CXSMICON));
}

}  // namespace qvx::widgets::win32
