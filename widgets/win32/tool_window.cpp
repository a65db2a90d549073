#include "widgets/win32/tool_window.h"

#include "widgets/win32/gbk.h"

namespace qvx::widgets::win32 {

HWND create_tool_window(HINSTANCE instance, const wchar_t* class_name, WNDPROC proc,
                        const std::string& title, void* owner) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, 0));
  wc.lpszClassName = class_name;
  RegisterClassExW(&wc);
  return CreateWindowExW(0, class_name, widen(title).c_str(), kToolWindowStyle, CW_USEDEFAULT,
                         CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, owner);
}

HWND create_child(HWND parent, HINSTANCE instance, const wchar_t* class_name,
                  const std::string& text, DWORD style, int id) {
  return CreateWindowExW(0, class_name, widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0,
                         0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                         nullptr);
}

void place_control(HWND control, WindowScale& scale, const Rect& at_96_dpi) {
  const RECT at = scale.scale(at_96_dpi);
  MoveWindow(control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(scale.font(false, false)), TRUE);
}

void take_suggested_rect(HWND window, LPARAM dpi_changed_lparam) {
  const RECT* suggested = reinterpret_cast<const RECT*>(dpi_changed_lparam);
  SetWindowPos(window, nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
               suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
}

SIZE frame_size(const WindowScale& scale, int client_width, int client_height) {
  RECT frame{0, 0, scale.scale(client_width), scale.scale(client_height)};
  AdjustWindowRectEx(&frame, kToolWindowStyle, FALSE, 0);
  return {frame.right - frame.left, frame.bottom - frame.top};
}

}  // namespace qvx::widgets::win32
