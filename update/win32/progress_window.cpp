#include "update/win32/progress_window.h"

#include <commctrl.h>

#include "update/progress_text.h"
#include "widgets/win32/dpi.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/tool_window.h"

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
  window_ = widgets::win32::create_tool_window(
      instance, kClass, widgets::win32::tool_window_proc<ProgressWindow>, "Quovix加速 更新", this);
  if (!window_) return false;
  create_controls(instance);
  apply_scale(widgets::win32::window_dpi(window_));
  const SIZE size = widgets::win32::frame_size(*scale_, kClientWidth, kClientHeight);
  // Centred in the work area, as the client's windows are.
  RECT work{};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  SetWindowPos(window_, nullptr, work.left + (work.right - work.left - size.cx) / 2,
               work.top + (work.bottom - work.top - size.cy) / 2, size.cx, size.cy, SWP_NOZORDER);
  return true;
}

void ProgressWindow::create_controls(HINSTANCE instance) {
  const auto child = [&](const wchar_t* cls, const std::string& text, DWORD style, int id) {
    return widgets::win32::create_child(window_, instance, cls, text, style, id);
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
    widgets::win32::place_control(control, *scale, r);
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
    case WM_DPICHANGED:
      widgets::win32::take_suggested_rect(window_, lparam);
      apply_scale(HIWORD(wparam));
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace qvx::update::win32
