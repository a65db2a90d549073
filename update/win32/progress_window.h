// The updater's window: what it is doing, a progress bar with its percent, the kilobytes and
// speed, and 取消. Made on the GUI thread; the update's worker drives it by posted messages.
#pragma once
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "widgets/win32/window_scale.h"

namespace qvx::update::win32 {

class ProgressWindow {
 public:
  // on_cancel runs on the GUI thread when the user presses 取消 (or closes the window).
  explicit ProgressWindow(std::function<void()> on_cancel);
  ProgressWindow(const ProgressWindow&) = delete;
  ProgressWindow& operator=(const ProgressWindow&) = delete;

  bool create(HINSTANCE instance);  // hidden until show()
  HWND window() const { return window_; }

  // From any thread. show() starts the speed's clock.
  void show(const std::string& status);
  void set_status(const std::string& status, bool can_cancel);
  void report(std::uint64_t done, std::uint64_t total);
  void hide();   // waits until it is hidden, so that a message box is not beneath it
  void close();  // ends the GUI thread's message loop
  bool cancelled() const { return cancelled_; }
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);  // the window's messages

 private:
  void create_controls(HINSTANCE instance);
  void apply_scale(int dpi);
  void show_progress();
  void cancel();

  std::function<void()> on_cancel_;
  std::unique_ptr<widgets::win32::WindowScale> scale_;
  HWND window_ = nullptr;
  HWND status_ = nullptr, bar_ = nullptr, percent_ = nullptr, figures_ = nullptr, cancel_ = nullptr;
  std::atomic<bool> cancelled_{false};
  std::atomic<std::uint64_t> done_{0}, total_{0};
  std::atomic<bool> report_posted_{false};
  ULONGLONG started_ = 0;
  std::mutex mutex_;  // status_text_ and can_cancel_
  std::string status_text_;
  bool can_cancel_ = true;
};

}  // namespace qvx::update::win32
