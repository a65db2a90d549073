#include "update/win32/progress_window.h"

#include <commctrl.h>

#include "update/progress_text.h"
#include "widgets/win32/dpi.h"
#include "widgets/win32/gbk.h"

namespace qvx::update::win32 {
namespace {

using widgets::win32::widen;

constexpr wchar_t kClass[] = L"QuovixUpdate";
constexpr UINT kShow = WM_APP + 1;
constexpr UINT kStatus = WM_APP + 2;
constexpr UINT kProgress = WM_APP + 3;
constexpr UINT kHide = WM_APP + 4;
constexpr UINT kClose = WM_APP + 5;
// Escape sends IDCANCEL (IsDialogMessage), as 取消 does.
constexpr int kCancelId = IDCANCEL;

// The layout at 96 dpi, in the client area.
constexpr int kClientWidth = 380, kClientHeight = 128;
constexpr widgets::Rect kStatusRect{12, 12, 356, 16};
constexpr widgets::Rect kBarRect{12, 36, 310, 18};
constexpr widgets::Rect kPercentRect{328, 38, 40, 16};
constexpr widgets::Rect kFiguresRect{12, 62, 356, 16};
constexpr widgets::Rect kCancelRect{283, 90, 85, 27};

}  // namespace

ProgressWindow::ProgressWindow(std::function<void()> on_cancel)
    : on_cancel_(std::move(on_cancel)) {}

bool ProgressWindow::create(HINSTANCE instance) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.hIcon = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON, 0, 0, 0));
  wc.lpszClassName = kClass;
  RegisterClassExW(&wc);

  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
  window_ = CreateWindowExW(0, kClass, widen("Quovix加速 更新").c_str(), style, CW_USEDEFAULT,
                            CW_USEDEFAULT, 0, 0, nullptr, nullptr, instance, this);
  if (!window_) return false;
  create_controls(instance);
  apply_scale(widgets::win32::window_dpi(window_));
  RECT frame{0, 0, scale_->scale(kClientWidth), scale_->scale(kClientHeight)};
  AdjustWindowRectEx(&frame, style, FALSE, 0);
  // Centred in the work area, as the client's windows are.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const int width = frame.right - frame.left, height = frame.bottom - frame.top;
  SetWindowPos(window_, nullptr, work.left + (work.right - work.left - width) / 2,
               work.top + (work.bottom - work.top - height) / 2, width, height, SWP_NOZORDER);
  return true;
}

void ProgressWindow::create_controls(HINSTANCE instance) {
  const auto child = [&](const wchar_t* cls, const std::string& text, DWORD style, int id) {
    return CreateWindowExW(0, cls, widen(text).c_str(), WS_CHILD | WS_VISIBLE | style, 0, 0, 0, 0,
                           window_, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance,
                           nullptr);
  };
  status_ = child(L"Static", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0);
  bar_ = child(PROGRESS_CLASSW, "", PBS_SMOOTH, 0);
  SendMessageW(bar_, PBM_SETRANGE32, 0, 100);
  percent_ = child(L"Static", "0%", SS_RIGHT | SS_NOPREFIX, 0);
  figures_ = child(L"Static", "", SS_LEFT | SS_NOPREFIX, 0);
  cancel_ = child(L"Button", "取消", WS_TABSTOP | BS_DEFPUSHBUTTON, kCancelId);
}

void ProgressWindow::apply_scale(int dpi) {
  auto scale = std::make_unique<widgets::win32::WindowScale>(dpi);
  const auto place = [&](HWND control, const widgets::Rect& r) {
    const RECT at = scale->scale(r);
    MoveWindow(control, at.left, at.top, at.right - at.left, at.bottom - at.top, TRUE);
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(scale->font(false, false)), TRUE);
  };
  place(status_, kStatusRect);
  place(bar_, kBarRect);
  place(percent_, kPercentRect);
  place(figures_, kFiguresRect);
  place(cancel_, kCancelRect);
  scale_ = std::move(scale);
}

void ProgressWindow::show(const std::string& status) {
  set_status(status, true);
  PostMessageW(window_, kShow, 0, 0);
}

void ProgressWindow::set_status(const std::string& status, bool can_cancel) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    status_text_ = status;
    can_cancel_ = can_cancel;
  }
  PostMessageW(window_, kStatus, 0, 0);
}

// One message in the queue at a time however fast urlmon reports.
void ProgressWindow::report(std::uint64_t done, std::uint64_t total) {
  done_ = done;
  total_ = total;
  if (!report_posted_.exchange(true)) PostMessageW(window_, kProgress, 0, 0);
}

void ProgressWindow::hide() {
  SendMessageW(window_, kHide, 0, 0);
}

void ProgressWindow::close() {
  PostMessageW(window_, kClose, 0, 0);
}

void ProgressWindow::show_progress() {
  report_posted_ = false;
  const std::uint64_t done = done_, total = total_;
  const int percent = progress_percent(done, total);
  SendMessageW(bar_, PBM_SETPOS, percent, 0);
  SetWindowTextW(percent_, widen(std::to_string(percent) + "%").c_str());
  SetWindowTextW(figures_, widen(progress_text(done, total, GetTickCount64() - started_)).c_str());
}

void ProgressWindow::cancel() {
  if (cancelled_ || !IsWindowEnabled(cancel_)) return;
  cancelled_ = true;
  EnableWindow(cancel_, FALSE);
  SetWindowTextW(status_, widen("正在取消……").c_str());
  on_cancel_();
}

LRESULT CALLBACK ProgressWindow::proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  if (message == WM_NCCREATE) {
    const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto* self = reinterpret_cast<ProgressWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (self && self->window_ == window) return self->handle(message, wparam, lparam);
  return DefWindowProcW(window, message, wparam, lparam);
}

LRESULT ProgressWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case kShow:
      started_ = GetTickCount64();
      ShowWindow(window_, SW_SHOWNORMAL);
      SetForegroundWindow(window_);
      return 0;
    case kStatus: {
      std::lock_guard<std::mutex> lock(mutex_);
      if (!cancelled_) SetWindowTextW(status_, widen(status_text_).c_str());
      EnableWindow(cancel_, can_cancel_ && !cancelled_);
      return 0;
    }
    case kProgress:
      show_progress();
      return 0;
    case kHide:
      ShowWindow(window_, SW_HIDE);
      return 0;
    case kClose:
      DestroyWindow(window_);
      return 0;
    case WM_COMMAND:
      if (LOWORD(wparam) == kCancelId && HIWORD(wparam) == BN_CLICKED) cancel();
      return 0;
    case WM_CLOSE:  // the title bar's close: the same as 取消, never a half-run setup
      cancel();
      return 0;
    case WM_DPICHANGED: {
      const RECT* suggested = reinterpret_cast<const RECT*>(lparam);
      SetWindowPos(window_, nullptr, suggested->left, suggested->top,
                   suggested->right - suggested->left, suggested->bottom - suggested->top,
                   SWP_NOZORDER | SWP_NOACTIVATE);
      apply_scale(HIWORD(wparam));
      return 0;
    }
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace qvx::update::win32
