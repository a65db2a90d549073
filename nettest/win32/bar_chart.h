// The speed test's bar chart: one row a node, best first, a bar as long as its average round
// trip against the slowest, the figure beside it; a node without a reply reads 超时.
#pragma once
#include <windows.h>

#include <vector>

#include "nettest/speed_rounds.h"

namespace qvx::nettest::win32 {

class BarChart {
 public:
  static void register_class(HINSTANCE instance);
  // A child window of parent; the chart keeps a pointer to this object.
  void create(HWND parent, HINSTANCE instance);
  HWND window() const { return window_; }

  void set_results(std::vector<NodeResult> results);
  void set_font(HFONT font, int dpi);

 private:
  static LRESULT CALLBACK proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
  void paint(HDC dc, const RECT& area);

  HWND window_ = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  std::vector<NodeResult> results_;
};

}  // namespace qvx::nettest::win32
