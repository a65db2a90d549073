// The top-level window of the small programs beside the client (the speed test, the updater):
// its class and frame, its controls and their places and font at the window's DPI, and the
// window procedure that hands messages to the object that made it.
#pragma once
#include <windows.h>

#include <string>

#include "widgets/control.h"
#include "widgets/win32/window_scale.h"

namespace qvx::widgets::win32 {

constexpr DWORD kToolWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;

// Registers the class (the program's icon 1, the dialog colour) and makes the window, hidden,
// with `owner` for `proc` to find (tool_window_proc).
HWND create_tool_window(HINSTANCE instance, const wchar_t* class_name, WNDPROC proc,
                        const std::string& title, void* owner);
// A visible child control, placed later by place_control.
HWND create_child(HWND parent, HINSTANCE instance, const wchar_t* class_name,
                  const std::string& text, DWORD style, int id);
// The control at its 96-dpi place, scaled, in the scale's normal font.
void place_control(HWND control, WindowScale& scale, const Rect& at_96_dpi);
// WM_DPICHANGED: the window takes the rectangle Windows suggests for the new DPI (its lparam);
// the caller then places the controls again from 96 dpi.
void take_suggested_rect(HWND window, LPARAM dpi_changed_lparam);
// The window's frame around a client area of the 96-dpi size, scaled.
SIZE frame_size(const WindowScale& scale, int client_width, int client_height);

// The window procedure of a class whose windows belong to an Owner with `HWND window() const`
// and `LRESULT handle(UINT, WPARAM, LPARAM)`; messages before the owner knows its window go to
// DefWindowProc.
template <typename Owner>
LRESULT CALLBACK tool_window_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* owner = reinterpret_cast<Owner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (owner && owner->window() == window) return owner->handle(message, wparam, lparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

}  // namespace qvx::widgets::win32
