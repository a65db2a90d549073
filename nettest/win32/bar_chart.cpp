#include "nettest/win32/bar_chart.h"

#include <algorithm>
#include <string>

#include "nettest/node_ranking.h"
#include "widgets/dpi_scale.h"
#include "widgets/win32/gbk.h"

namespace qvx::nettest::win32 {

namespace {

constexpr wchar_t kClass[] = L"QuovixNettestChart";
// At 96 dpi: the name column, the figure column, the margins and the tallest row.
constexpr int kNameWidth = 110;
constexpr int kFigureWidth = 56;
constexpr int kMargin = 6;
constexpr int kRowMax = 18;
constexpr COLORREF kBarColour = RGB(51, 153, 255);
constexpr COLORREF kLostColour = RGB(192, 0, 0);

}  // namespace

void BarChart::register_class(HINSTANCE instance) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
  wc.lpszClassName = kClass;
  RegisterClassExW(&wc);
}

void BarChart::create(HWND parent, HINSTANCE instance) {
  window_ = CreateWindowExW(WS_EX_CLIENTEDGE, kClass, L"", WS_CHILD | WS_VISIBLE, 0, 0, 0, 0,
                            parent, nullptr, instance, nullptr);
  SetWindowLongPtrW(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

void BarChart::set_results(std::vector<NodeResult> results) {
  results_ = std::move(results);
  InvalidateRect(window_, nullptr, TRUE);
}

void BarChart::set_font(HFONT font, int dpi) {
  font_ = font;
  dpi_ = dpi;
  InvalidateRect(window_, nullptr, TRUE);
}

LRESULT CALLBACK BarChart::proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* chart = reinterpret_cast<BarChart*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_PAINT && chart) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(window, &ps);
    RECT area;
    GetClientRect(window, &area);
    chart->paint(dc, area);
    EndPaint(window, &ps);
    return 0;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

void BarChart::paint(HDC dc, const RECT& area) {
  if (results_.empty()) return;
  const auto px = [this](int v) { return widgets::scale_px(v, dpi_); };
  const int margin = px(kMargin);
  const int rows = static_cast<int>(results_.size());
  // Up to 49 nodes share the height; rows too low for the text keep only their bars.
  const int row =
      std::min(px(kRowMax), std::max(1, static_cast<int>(area.bottom - 2 * margin) / rows));
  const bool with_text = row >= px(12);
  const int bar_left = with_text ? margin + px(kNameWidth) : margin;
  const int full = std::max(1, static_cast<int>(area.right) - bar_left - px(kFigureWidth) - margin);
  const std::vector<int> widths = bar_widths(results_, full);

  HGDIOBJ old_font = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  HBRUSH bar = CreateSolidBrush(kBarColour);
  for (int i = 0; i < rows; ++i) {
    const NodeResult& result = results_[static_cast<std::size_t>(i)];
    const int top = margin + i * row;
    const int gap = row > px(6) ? px(2) : 0;
    RECT bar_rect{bar_left, top + gap, bar_left + widths[static_cast<std::size_t>(i)],
                  top + row - gap};
    FillRect(dc, &bar_rect, bar);
    if (!with_text) continue;
    RECT name{margin, top, bar_left - px(4), top + row};
    const std::wstring name_text = widgets::win32::widen(result.node.name);
    DrawTextW(dc, name_text.c_str(), -1, &name,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    const auto average = average_ms(result);
    SetTextColor(dc, average ? GetSysColor(COLOR_WINDOWTEXT) : kLostColour);
    const std::wstring figure =
        widgets::win32::widen(average ? std::to_string(*average) + " ms" : "超时");
    RECT figure_rect{bar_rect.right + px(4), top, area.right - margin, top + row};
    DrawTextW(dc, figure.c_str(), -1, &figure_rect, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  }
  DeleteObject(bar);
  SelectObject(dc, old_font);
}

}  // namespace qvx::nettest::win32
