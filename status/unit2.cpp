#include "status/unit2.h"

#include <exception>

#include "connect/thread_dial.h"
#include "connect/thread_hangup.h"
#include "shell/application.h"
#include "shell/unit1.h"
#include "shell/unit9.h"

namespace qvx {

using widgets::Rect;
namespace colors = widgets::colors;

namespace {
constexpr char kConnect[] = "连接";
constexpr char kHangUp[] = "挂断";

// Rows of the account and network block: caption column, value column.
constexpr int kRow = 24;
constexpr int kTop = 14;
constexpr int kCaptionLeft = 16;
constexpr int kValueLeft = 92;
Rect caption_at(int row) {
  return {kCaptionLeft, kTop + row * kRow, 74, 14};
}
Rect value_at(int row, int width = 191) {
  return {kValueLeft, kTop + row * kRow, width, 14};
}
}  // namespace

TForm2::TForm2(Application& app)
    : widgets::Form("Form2", "Quovix加速2.0", 299, 542),
      app(app),
      Label1(this, "Label1", caption_at(0)),
      Label2(this, "Label2", value_at(0)),
      Label3(this, "Label3", caption_at(1)),
      Label4(this, "Label4", value_at(1)),
      Label5(this, "Label5", caption_at(2)),
      Label6(this, "Label6", value_at(2)),
      Label7(this, "Label7", caption_at(3)),
      Label8(this, "Label8", value_at(3)),
      Label9(this, "Label9", caption_at(4)),
      Label10(this, "Label10", value_at(4, 100)),
      Label11(this, "Label11", {196, kTop + 4 * kRow, 87, 14}),
      Label12(this, "Label12", caption_at(5)),
      Label13(this, "Label13", value_at(5)),
      Label14(this, "Label14", caption_at(6)),
      Label15(this, "Label15", value_at(6)),
      Label16(this, "Label16", caption_at(7)),
      Label17(this, "Label17", value_at(7)),
      Label18(this, "Label18", caption_at(8)),
      Label19(this, "Label19", value_at(8)),
      suiComboBox1(this, "suiComboBox1", {16, 236, 267, 20}),
      suiComboBox2(this, "suiComboBox2", {16, 266, 130, 20}),
      suiComboBox3(this, "suiComboBox3", {153, 266, 130, 20}),
      suiButton1(this, "suiButton1", {16, 300, 80, 27}),
      suiButton2(this, "suiButton2", {203, 300, 80, 27}),
      Label20(this, "Label20", {16, 344, 70, 14}),
      Label21(this, "Label21", {92, 344, 28, 14}),
      Label22(this, "Label22", {190, 344, 28, 14}),
      Label26(this, "Label26", {122, 344, 64, 14}),
      Label27(this, "Label27", {220, 344, 63, 14}),
      RzStatusPane1(this, "RzStatusPane1", {8, 368, 283, 20}),
      // Wider than the client area by design; the frame clips it.
      CppWebBrowser1(this, "CppWebBrowser1", {-5, 398, 310, 84}),
      Label23(this, "Label23", {16, 498, 267, 14}),
      Timer1(app.ui, "Timer1", 1000),
      Timer2(app.ui, "Timer2", 1000),
      Timer3(app.ui, "Timer3", 1000),
      Timer4(app.ui, "Timer4", 5000),
      Timer5(app.ui, "Timer5", 25000),
      SecondLook(app.ui, "SecondLook", 6000),
      suiMainMenu1("suiMainMenu1"),
      z1(suiMainMenu1, "z1", "主页"),
      N1(suiMainMenu1, "N1", "设置"),
      N2(suiMainMenu1, "N2", "充值"),
      N3(suiMainMenu1, "N3", "客服"),
      N4(suiMainMenu1, "N4", "导航"),
      N5(suiMainMenu1, "N5", "留言"),
      N6(suiMainMenu1, "N6", "帮助"),
      redial(app) {
  Label1.set_caption("您的账号：");
  Label3.set_caption("用户级别：");
  Label5.set_caption("Quovix积分：");
  Label7.set_caption("剩余天数：");
  Label9.set_caption("本地 IP ：");
  Label12.set_caption("网络类型：");
  Label14.set_caption("加速节点：");
  Label16.set_caption("网络模式：");
  Label18.set_caption("加速模式：");
  Label4.set_font(colors::kRed, false);
  for (widgets::Label* value : {&Label10, &Label13, &Label15, &Label17, &Label19}) {
    value->set_font(colors::kPurple, false);
  }
  suiButton1.set_caption("速度测试");
  suiButton2.set_caption(kConnect);
  Label20.set_caption("加速流量：");
  Label21.set_caption("上传");
  Label22.set_caption("下载");
  Label26.set_caption("0 K");
  Label26.set_font(colors::kRed, false);
  Label27.set_caption("0 K");
  Label27.set_font(colors::kLime, false);
  Label23.set_caption("Quovix加速");
  Label23.set_font(colors::kMaroon, false);
  Label23.cursor = widgets::Cursor::Hand;
  wire_events();
}

void TForm2::wire_events() {
  suiButton1.on_click = [this] { suiButton1Click(); };
  suiButton2.on_click = [this] { suiButton2Click(); };
  suiComboBox1.on_change = [this] { suiComboBox1Change(); };
  suiComboBox2.on_change = [this] { suiComboBox2Change(); };
  suiComboBox3.on_change = [this] { suiComboBox3Change(); };
  on_title_button = [this](widgets::TitleButton b) { title_button(b); };
  on_show = [this] { FormShow(); };
  Label23.on_mouse_move = [this] { Label23MouseMove(); };
  Label23.on_mouse_leave = [this] { Label23MouseLeave(); };
  Label23.on_click = [this] { Label23Click(); };
  Timer1.on_timer = [this] { Timer1Timer(); };
  Timer2.on_timer = [this] { Timer2Timer(); };
  Timer3.on_timer = [this] { Timer3Timer(); };
  Timer4.on_timer = [this] { Timer4Timer(); };
  Timer5.on_timer = [this] { Timer5Timer(); };
  SecondLook.on_timer = [this] { SecondLookTimer(); };
  z1.on_click = [this] { z1Click(); };
  N1.on_click = [this] { N1Click(); };
  N2.on_click = [this] { N2Click(); };
  N3.on_click = [this] { N3Click(); };
  N4.on_click = [this] { N4Click(); };
  N5.on_click = [this] { N5Click(); };
  N6.on_click = [this] { N6Click(); };
}

bool TForm2::account_valid() {
  TForm1& record = *app.Form1;
  if (subscription_valid(record.expiry_time, record.server_time)) return true;
  record.write_log("用户尝试加速，但账号到期.");
  app.ui.message_box(this, "您的账号已经到期，请充值后再使用！", kAppTitle, widgets::kMbOk);
  return false;
}

void TForm2::suiButton2Click() {
  // While a redial counts down the button reads 挂断 and the connection is already gone:
  // the click only calls the redial off, whatever the account's state.
  if (redial.cancel("连接状态： 未连接")) return;
  if (!account_valid()) return;
  if (suiButton2.caption() == kConnect) {
    start_dial(false);
  } else if (suiButton2.caption() == kHangUp) {
    const ConnectionDisplay before = shown_;
    const bool monitor = Timer4.enabled(), second_look = SecondLook.enabled();
    stop_link_monitor();
    show_connection({LinkState::HangingUp, "连接状态： 正在挂断"});
    if (app.is_running(app.hangup_thread)) app.hangup_thread->Terminate();
    app.hangup_thread = nullptr;
    try {
      app.hangup_thread = app.launch<Thread_hangup>(app.dial_thread ? app.dial_thread->id() : 0);
    } catch (const std::exception& e) {
      // Still connected: the window goes back to what it showed before the click.
      Timer4.set_enabled(monitor);
      SecondLook.set_enabled(second_look);
      show_connection(before);
      app.report_failure(e.what());
    }
  }
}

void TForm2::start_dial(bool redial_try) {
  TForm1& f1 = *app.Form1;
  const std::string pane = redial_try ? std::string("连接状态： 已断开") : shown_.pane;
  show_connection(
      {redial_try ? LinkState::Redialing : LinkState::Connecting, "连接状态： 正在连接"});
  // A worker that has ended is gone; only a running one is asked to stop.
  if (app.is_running(app.dial_thread)) app.dial_thread->Terminate();
  app.dial_thread = nullptr;
  try {
    app.dial_thread =
        app.launch<Thread_dial>(LoginCredentials{f1.account, f1.user_password}, redial_try);
  } catch (const std::exception& e) {
    show_connection({LinkState::Idle, pane});
    app.report_failure(e.what());
  }
}

void TForm2::suiComboBox1Change() {
  Label15.set_caption(suiComboBox1.text());
  app.Form1->node_choice = suiComboBox1.item_index();
}

void TForm2::suiComboBox2Change() {
  Label17.set_caption(suiComboBox2.text());
  app.Form1->network_mode = suiComboBox2.item_index();
  // The RAS manager values 内网模式 needs are written by the L2TP dial (connect/l2tp_values.h).
}

void TForm2::suiComboBox3Change() {
  Label19.set_caption(suiComboBox3.text());
  app.Form1->relay_mode = suiComboBox3.item_index();
}

void TForm2::title_button(widgets::TitleButton button) {
  if (button == widgets::TitleButton::Minimize) {
    hide();
  } else if (button == widgets::TitleButton::Close) {
    exit_request();
  }
}

void TForm2::exit_request() {
  // Only the value 1 means "exit without asking"; anything else asks.
  if (app.Form1->no_exit_prompt != 1) {
    app.Form9->show();
    return;
  }
  app.Form1->exit_step();
}

void TForm2::FormShow() {
  if (!app.Form1->app_title.empty()) set_caption(app.Form1->app_title);
}

void TForm2::Label23MouseMove() {
  Label23.set_font(colors::kBlue, true);
}

void TForm2::Label23MouseLeave() {
  Label23.set_font(colors::kMaroon, false);
}

void TForm2::Label23Click() {
  const int index = app.Form1->ticker_index;
  if (index < 0 || index >= kTickerSlots) return;
  open_page(app.Form1->ticker_urls[static_cast<std::size_t>(index)]);
}

}  // namespace qvx
