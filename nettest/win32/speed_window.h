// The speed test's window: what it is doing, a progress bar, the table best first, the bar
// chart, and 重新测试 / 关闭. The measurement runs on a worker thread and reports by message.
#pragma once
#include <windows.h>

#include <atomic>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "connect/cping.h"
#include "nettest/speed_rounds.h"
#include "nettest/win32/bar_chart.h"
#include "widgets/win32/window_scale.h"

namespace qvx::nettest::win32 {

class SpeedWindow {
 public:
  // list_path: the node list file; read again at every test.
  SpeedWindow(IcmpLibrary& library, std::string list_path);
  ~SpeedWindow();
  SpeedWindow(const SpeedWindow&) = delete;
  SpeedWindow& operator=(const SpeedWindow&) = delete;

  // Shows the window and starts the first test; false when the window cannot be made.
  bool show(HINSTANCE instance, int show_command);
  HWND window() const { return window_; }
  LRESULT handle(UINT message, WPARAM wparam, LPARAM lparam);  // the window's messages

 private:
  void create_controls(HINSTANCE instance);
  void apply_scale(int dpi);
  void start_test();
  void finish_test();
  void stop_worker();
  void set_status(const std::string& text);
  void draw_row(const DRAWITEMSTRUCT& item);

  IcmpLibrary& library_;
  _CPING pinger_;
  std::string list_path_;
  std::unique_ptr<widgets::win32::WindowScale> scale_;
  HWND window_ = nullptr;
  HWND status_ = nullptr, progress_ = nullptr, table_ = nullptr, retest_ = nullptr,
       close_ = nullptr;
  std::vector<HWND> headers_;
  BarChart chart_;

  std::thread worker_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;  // the worker's results
  std::optional<std::vector<NodeResult>> results_;
  int node_count_ = 0;
};

}  // namespace qvx::nettest::win32
