#include "nettest/win32/speed_window.h"

#include <commctrl.h>

#include "nettest/node_list_file.h"
#include "nettest/node_ranking.h"
#include "widgets/dpi_scale.h"
#include "widgets/win32/dpi.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/tool_window.h"

namespace qvx::nettest::win32 {

namespace {

using widgets::win32::widen;

constexpr wchar_t kClass[] = L"QuovixNettest";
constexpr UINT kRoundDone = WM_APP + 1;  // wparam: rounds done
constexpr UINT kTestDone = WM_APP + 2;
// Escape sends IDCANCEL to the window (IsDialogMessage) and so closes it, as 关闭 does.
constexpr int kRetestId = 101, kCloseId = IDCANCEL, kTableId = 103;

// The layout at 96 dpi, in the client area.
constexpr int kClientWidth = 480, kClientHeight = 440;
constexpr widgets::Rect kStatusRect{12, 10, 456, 16};
constexpr widgets::Rect kProgressRect{12, 30, 456, 16};
constexpr int kHeaderTop = 56, kHeaderHeight = 16;
constexpr widgets::Rect kTableRect{12, 74, 456, 150};
constexpr widgets::Rect kChartRect{12, 232, 456, 160};
constexpr widgets::Rect kRetestRect{288, 402, 85, 27};
constexpr widgets::Rect kCloseRect{383, 402, 85, 27};
constexpr int kRowHeight = 18;
// The table's columns: their headers, left edges and widths, at 96 dpi.
struct Column {
  const char* header;
  int left, width;
};
constexpr Column kColumns[] = {
    {"节点名称", 4, 140}, {"地址", 148, 150}, {"平均延时(ms)", 302, 80}, {"丢包率", 386, 60}};

std::vector<std::string> fields_of(const std::string& row) {
  std::vector<std::string> out(1);
  for (char c : row) {
    if (c == '\t') {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

}  // namespace

SpeedWindow::SpeedWindow(IcmpLibrary& library, std::string list_path)
    : library_(library), pinger_(library), list_path_(std::move(list_path)) {}

SpeedWindow::~SpeedWindow() {
  stop_worker();
}

bool SpeedWindow::show(HINSTANCE instance, int show_command) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_PROGRESS_CLASS};
  InitCommonControlsEx(&controls);
  BarChart::register_class(instance);
  window_ = widgets::win32::create_tool_window(instance, kClass,
                                               widgets::win32::tool_window_proc<SpeedWindow>,
                                               "Quovix加速 - 速度测试", this);
  if (!window_) return false;
  create_controls(instance);
  apply_scale(widgets::win32::window_dpi(window_));
  const SIZE size = widgets::win32::frame_size(*scale_, kClientWidth, kClientHeight);
  SetWindowPos(window_, nullptr, 0, 0, size.cx, size.cy, SWP_NOMOVE | SWP_NOZORDER);
  ShowWindow(window_, show_command);
  UpdateWindow(window_);
  start_test();
  return true;
}

void SpeedWindow::create_controls(HINSTANCE instance) {
  const auto child = [&](const wchar_t* cls, const std::string& text, DWORD style, int id) {
    return widgets::win32::create_child(window_, instance, cls, text, style, id);
  };
  status_ = child(L"Static", "", SS_LEFT | SS_NOPREFIX | SS_ENDELLIPSIS, 0);
  progress_ = child(PROGRESS_CLASSW, "", 0, 0);
  for (const Column& column : kColumns) headers_.push_back(child(L"Static", column.header, 0, 0));
  table_ =
      CreateWindowExW(WS_EX_CLIENTEDGE, L"ListBox", L"",
                      WS_CHILD | WS_VISIBLE | WS_VSCROLL | WS_TABSTOP | LBS_OWNERDRAWFIXED |
                          LBS_HASSTRINGS | LBS_NOINTEGRALHEIGHT | LBS_NOSEL,
                      0, 0, 0, 0, window_, reinterpret_cast<HMENU>(kTableId), instance, nullptr);
  chart_.create(window_, instance);
  retest_ = child(L"Button", "重新测试", WS_TABSTOP | BS_PUSHBUTTON, kRetestId);
  close_ = child(L"Button", "关闭", WS_TABSTOP | BS_PUSHBUTTON, kCloseId);
}

// Every control from its 96-dpi place, with the font made for the DPI.
void SpeedWindow::apply_scale(int dpi) {
  auto scale = std::make_unique<widgets::win32::WindowScale>(dpi);
  const auto place = [&](HWND control, const widgets::Rect& r) {
    widgets::win32::place_control(control, *scale, r);
  };
  place(status_, kStatusRect);
  place(progress_, kProgressRect);
  for (std::size_t i = 0; i < headers_.size(); ++i) {
    place(headers_[i],
          {kTableRect.left + kColumns[i].left, kHeaderTop, kColumns[i].width, kHeaderHeight});
  }
  place(table_, kTableRect);
  SendMessageW(table_, LB_SETITEMHEIGHT, 0, scale->scale(kRowHeight));
  place(chart_.window(), kChartRect);
  chart_.set_font(scale->font(false, false), dpi);
  place(retest_, kRetestRect);
  place(close_, kCloseRect);
  scale_ = std::move(scale);  // the old fonts go only once nothing uses them
}

void SpeedWindow::set_status(const std::string& text) {
  SetWindowTextW(status_, widen(text).c_str());
}

void SpeedWindow::start_test() {
  stop_worker();
  SendMessageW(table_, LB_RESETCONTENT, 0, 0);
  chart_.set_results({});
  SendMessageW(progress_, PBM_SETPOS, 0, 0);
  const auto bytes = library_.platform.files.read_at_most(list_path_, kNodeListFileMax);
  const NodeList list = parse_node_list_file(bytes ? &*bytes : nullptr);
  if (list.status != ListStatus::Ok) {
    set_status(describe_problem(list));
    return;
  }
  node_count_ = static_cast<int>(list.nodes.size());
  SendMessageW(progress_, PBM_SETRANGE32, 0, kRounds);
  set_status("正在测试" + std::to_string(node_count_) + "个节点……");
  EnableWindow(retest_, FALSE);
  stop_ = false;
  const HWND target = window_;
  worker_ = std::thread([this, target, nodes = list.nodes] {
    auto results = measure_nodes(
        nodes, pinger_, kRounds,
        [target](int done) { PostMessageW(target, kRoundDone, static_cast<WPARAM>(done), 0); },
        stop_);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      results_ = std::move(results);
    }
    PostMessageW(target, kTestDone, 0, 0);
  });
}

void SpeedWindow::finish_test() {
  stop_worker();
  std::optional<std::vector<NodeResult>> results;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    results.swap(results_);
  }
  EnableWindow(retest_, TRUE);
  if (!results) {
    set_status("无法进行测试：系统的ICMP功能不可用。");
    return;
  }
  rank(*results);
  for (const NodeResult& result : *results) {
    SendMessageW(table_, LB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(widen(table_row(result)).c_str()));
  }
  chart_.set_results(*results);
  set_status("测试完成：" + std::to_string(results->size()) + "个节点，按速度从快到慢排列。");
}

void SpeedWindow::stop_worker() {
  stop_ = true;
  if (worker_.joinable()) worker_.join();
}

void SpeedWindow::draw_row(const DRAWITEMSTRUCT& item) {
  if (item.itemID == static_cast<UINT>(-1)) return;
  const LRESULT length = SendMessageW(item.hwndItem, LB_GETTEXTLEN, item.itemID, 0);
  if (length == LB_ERR) return;
  std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
  SendMessageW(item.hwndItem, LB_GETTEXT, item.itemID, reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_WINDOW));
  SetBkMode(item.hDC, TRANSPARENT);
  SetTextColor(item.hDC, GetSysColor(COLOR_WINDOWTEXT));
  const std::vector<std::string> fields = fields_of(widgets::win32::narrow(text));
  for (std::size_t i = 0; i < fields.size() && i < std::size(kColumns); ++i) {
    RECT cell = item.rcItem;
    cell.left = item.rcItem.left + scale_->scale(kColumns[i].left - 2);
    cell.right = cell.left + scale_->scale(kColumns[i].width);
    DrawTextW(item.hDC, widen(fields[i]).c_str(), -1, &cell,
              DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
}

LRESULT SpeedWindow::handle(UINT message, WPARAM wparam, LPARAM lparam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wparam) == kRetestId && HIWORD(wparam) == BN_CLICKED) start_test();
      if (LOWORD(wparam) == kCloseId && HIWORD(wparam) == BN_CLICKED) DestroyWindow(window_);
      return 0;
    case kRoundDone:
      SendMessageW(progress_, PBM_SETPOS, wparam, 0);
      set_status("正在测试" + std::to_string(node_count_) + "个节点（第" + std::to_string(wparam) +
                 "/" + std::to_string(kRounds) + "轮）……");
      return 0;
    case kTestDone:
      finish_test();
      return 0;
    case WM_MEASUREITEM:
      reinterpret_cast<MEASUREITEMSTRUCT*>(lparam)->itemHeight =
          static_cast<UINT>(widgets::scale_px(kRowHeight, widgets::win32::window_dpi(window_)));
      return TRUE;
    case WM_DRAWITEM:
      if (scale_) draw_row(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
      return TRUE;
    case WM_DPICHANGED:
      widgets::win32::take_suggested_rect(window_, lparam);
      apply_scale(HIWORD(wparam));
      return 0;
    case WM_DESTROY:
      // A round ends within its echo timeout; the worker's last messages find no window.
      stop_worker();
      PostQuitMessage(0);
      return 0;
  }
  return DefWindowProcW(window_, message, wparam, lparam);
}

}  // namespace qvx::nettest::win32
