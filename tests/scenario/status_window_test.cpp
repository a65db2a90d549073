#include "logged_in_fixture.h"

namespace qvx::testing {
namespace {

using widgets::colors::kBlue;
using widgets::colors::kMaroon;
using widgets::colors::kPurple;
using widgets::colors::kRed;

bool overlap(const widgets::Rect& a, const widgets::Rect& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

using StatusWindowBuild = AppTest;

TEST_F(StatusWindowBuild, ControlsCaptionsAndColours) {
  ASSERT_TRUE(start());
  TForm2& w = f2();
  EXPECT_FALSE(w.visible());
  EXPECT_EQ(w.caption(), "Quovix加速2.0");
  EXPECT_EQ(w.bounds().width, 299);
  EXPECT_EQ(w.bounds().height, 542);
  EXPECT_TRUE(w.style().minimize_box);
  EXPECT_TRUE(w.style().close_box);

  const std::pair<widgets::Label*, const char*> captions[] = {
      {&w.Label1, "您的账号："},  {&w.Label3, "用户级别："},  {&w.Label5, "Quovix积分："},
      {&w.Label7, "剩余天数："},  {&w.Label9, "本地 IP ："},  {&w.Label12, "网络类型："},
      {&w.Label14, "加速节点："}, {&w.Label16, "网络模式："}, {&w.Label18, "加速模式："},
      {&w.Label20, "加速流量："}, {&w.Label21, "上传"},       {&w.Label22, "下载"},
      {&w.Label26, "0 K"},        {&w.Label27, "0 K"},        {&w.Label23, "Quovix加速"}};
  for (const auto& [label, text] : captions) EXPECT_EQ(label->caption(), text) << label->name();
  EXPECT_EQ(w.suiButton1.caption(), "速度测试");
  EXPECT_EQ(w.suiButton2.caption(), "连接");
  EXPECT_TRUE(w.RzStatusPane1.caption().empty());

  EXPECT_EQ(w.Label4.font_color(), kRed);
  for (widgets::Label* purple : {&w.Label10, &w.Label13, &w.Label15, &w.Label17, &w.Label19}) {
    EXPECT_EQ(purple->font_color(), kPurple) << purple->name();
  }
  EXPECT_EQ(w.Label26.font_color(), kRed);
  EXPECT_EQ(w.Label27.font_color(), widgets::colors::kLime);
  EXPECT_EQ(w.Label23.font_color(), kMaroon);
  EXPECT_FALSE(w.Label23.font_underline());
  EXPECT_EQ(w.Label23.cursor, widgets::Cursor::Hand);
  EXPECT_EQ(w.Label2.font_color(), widgets::colors::kBlack);

  std::vector<std::string> menu;
  for (widgets::MenuItem* item : w.suiMainMenu1.items()) {
    menu.push_back(item->name() + "=" + item->caption());
    EXPECT_TRUE(item->enabled());
  }
  EXPECT_EQ(menu, (std::vector<std::string>{"z1=主页", "N1=设置", "N2=充值", "N3=客服", "N4=导航",
                                            "N5=留言", "N6=帮助"}));
}

TEST_F(StatusWindowBuild, TimersStartStoppedWithTheirIntervals) {
  ASSERT_TRUE(start());
  TForm2& w = f2();
  const std::pair<widgets::Timer*, unsigned> timers[] = {{&w.Timer1, 1000},
                                                         {&w.Timer2, 1000},
                                                         {&w.Timer3, 1000},
                                                         {&w.Timer4, 5000},
                                                         {&w.Timer5, 25000}};
  for (const auto& [timer, interval] : timers) {
    EXPECT_EQ(timer->interval(), interval) << timer->name();
    EXPECT_FALSE(timer->enabled()) << timer->name();
  }
}

TEST_F(StatusWindowBuild, LayoutFitsTheClientAreaWithoutOverlaps) {
  ASSERT_TRUE(start());
  const auto& controls = f2().children();
  EXPECT_EQ(controls.size(), 32u);
  for (widgets::Control* c : controls) {
    const widgets::Rect& r = c->bounds();
    EXPECT_GT(r.width, 0) << c->name();
    EXPECT_GT(r.height, 0) << c->name();
    if (c == &f2().CppWebBrowser1) continue;  // 310 wide by design, clipped by the frame
    EXPECT_GE(r.left, 0) << c->name();
    EXPECT_GE(r.top, 0) << c->name();
    EXPECT_LE(r.left + r.width, 299) << c->name();
    EXPECT_LE(r.top + r.height, 542) << c->name();
  }
  EXPECT_EQ(f2().CppWebBrowser1.bounds().width, 310);
  EXPECT_EQ(f2().CppWebBrowser1.bounds().height, 84);
  for (std::size_t i = 0; i < controls.size(); ++i) {
    for (std::size_t j = i + 1; j < controls.size(); ++j) {
      EXPECT_FALSE(overlap(controls[i]->bounds(), controls[j]->bounds()))
          << controls[i]->name() << " " << controls[j]->name();
    }
  }
}

class StatusWindowTest : public LoggedInTest {
 protected:
  struct State {
    const char* button;
    bool button_enabled;
    bool boxes_enabled;
    bool tray_connect, tray_hang_up;
    const char* pane;
    bool blinking;
    bool timers;
  };
  void expect_state(const State& s) {
    EXPECT_EQ(f2().suiButton2.caption(), s.button);
    EXPECT_EQ(f2().suiButton2.enabled(), s.button_enabled);
    for (widgets::ComboBox* box : boxes_of_f2()) {
      EXPECT_EQ(box->enabled(), s.boxes_enabled) << box->name();
    }
    EXPECT_EQ(f1().N5.enabled(), s.tray_connect);
    EXPECT_EQ(f1().N4.enabled(), s.tray_hang_up);
    EXPECT_EQ(f2().RzStatusPane1.caption(), s.pane);
    EXPECT_EQ(f2().RzStatusPane1.blinking(), s.blinking);
    EXPECT_EQ(f2().Timer3.enabled(), s.timers);
    EXPECT_EQ(f2().Timer4.enabled(), s.timers);
  }
  // A click on "连接" and the dial thread to its end.
  void run_dial() {
    f2().suiButton2.click();
    ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
    ui->pump();
  }
  static constexpr State kIdle{"连接", true, true, true, false, "连接状态： 未连接", false, false};
  static constexpr State kConnecting{"连接", false, false, false, false, "连接状态： 正在连接",
                                     true,   false};
  static constexpr State kConnected{"挂断", true, false, false, true, "连接状态： 已连接",
                                    false,  true};
  static constexpr State kHangingUp{"挂断", false, false, false, false, "连接状态： 正在挂断",
                                    true,   false};
};

TEST_F(StatusWindowTest, ConnectClickStartsADialAndShowsConnecting) {
  expect_state(kIdle);
  f2().suiButton2.click();
  expect_state(kConnecting);
  EXPECT_NE(app->dial_thread, nullptr);
  EXPECT_EQ(app->hangup_thread, nullptr);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(StatusWindowTest, FailedDialReturnsToIdleLeavingTheMonitorAlone) {
  os.ras.fail_next(sim::SimRas::Call::Dial, 691);
  run_dial();
  expect_state(kIdle);
  EXPECT_EQ(boxes(), std::vector<std::string>{"该账号正在被使用！"});
}

TEST_F(StatusWindowTest, HangUpClickWhenConnectedStopsTimersAndShowsHangingUp) {
  f1().relay_mode = 1;
  run_dial();
  expect_state(kConnected);
  f2().suiButton2.click();
  // The thread's report waits for this thread, so the window still shows the click's state.
  expect_state(kHangingUp);
  EXPECT_NE(app->hangup_thread, nullptr);
  EXPECT_EQ(app->dial_thread, nullptr);
  ASSERT_TRUE(ui->pump_until([&] { return app->hangup_thread == nullptr; }));
  expect_state(kIdle);
}

TEST_F(StatusWindowTest, DroppedLinkShowsDisconnectedInIdle) {
  f1().relay_mode = 1;
  run_dial();
  expect_state(kConnected);
  os.ras.drop(f1().ras_connection);
  ui->advance(5000 + 6000);  // the monitor's tick, then its second look
  State dropped = kIdle;
  dropped.pane = "连接状态： 已断开";
  expect_state(dropped);
}

TEST_F(StatusWindowTest, ExpiredAccountIsRefusedWhateverTheCaption) {
  f1().expiry_time = f1().server_time;
  f2().suiButton2.click();
  expect_state(kIdle);
  EXPECT_EQ(app->dial_thread, nullptr);
  EXPECT_EQ(boxes(), std::vector<std::string>{"您的账号已经到期，请充值后再使用！"});
  EXPECT_EQ(last_log_line(), "用户尝试加速，但账号到期.");

  f1().expiry_time = "2030-1-1 0:0:0";
  f1().relay_mode = 1;
  run_dial();
  expect_state(kConnected);
  f1().expiry_time = "0-0-0 0:0:0";
  f2().suiButton2.click();
  expect_state(kConnected);
  EXPECT_EQ(app->hangup_thread, nullptr);
  EXPECT_EQ(boxes().size(), 2u);
}

TEST_F(StatusWindowTest, UnreadableTimesCountAsExpired) {
  f1().server_time.clear();
  f2().suiButton2.click();
  expect_state(kIdle);
  EXPECT_EQ(boxes(), std::vector<std::string>{"您的账号已经到期，请充值后再使用！"});
}

TEST_F(StatusWindowTest, BoxChangesFillTheLabelsAndTheRecord) {
  f2().suiComboBox1.user_select(2);
  EXPECT_EQ(f2().Label15.caption(), "上海节点");
  EXPECT_EQ(f1().node_choice, 2);
  f2().suiComboBox3.user_select(1);
  EXPECT_EQ(f2().Label19.caption(), "完全中转");
  EXPECT_EQ(f1().relay_mode, 1);
  f2().suiComboBox2.user_select(1);
  EXPECT_EQ(f2().Label17.caption(), "内网模式");
  EXPECT_EQ(f1().network_mode, 1);
  f2().suiComboBox2.user_select(0);
  EXPECT_EQ(f2().Label17.caption(), "外网模式");
  EXPECT_EQ(f1().network_mode, 0);
}

TEST_F(StatusWindowTest, MinimiseTitleButtonHidesOnly) {
  f2().title_button(widgets::TitleButton::Minimize);
  EXPECT_FALSE(f2().visible());
  EXPECT_FALSE(app->Form9->visible());
  EXPECT_FALSE(f1().is_closed());
  f2().title_button(widgets::TitleButton::SystemMenu);
  EXPECT_FALSE(f1().is_closed());
}

TEST_F(StatusWindowTest, ShowingPutsTheSiteTitleInTheCaption) {
  f2().hide();
  f1().app_title = "Quovix加速测试版";
  f2().show();
  EXPECT_EQ(f2().caption(), "Quovix加速测试版");
  f2().hide();
  f1().app_title.clear();
  f2().show();
  EXPECT_EQ(f2().caption(), "Quovix加速测试版");
}

TEST_F(StatusWindowTest, TickerLinkLooksLikeALinkAndOpensTheShownEntry) {
  f2().Label23.set_font_bold(true);
  f2().Label23.mouse_move();
  EXPECT_EQ(f2().Label23.font_color(), kBlue);
  EXPECT_TRUE(f2().Label23.font_underline());
  EXPECT_TRUE(f2().Label23.font_bold());
  f2().Label23.mouse_leave();
  EXPECT_EQ(f2().Label23.font_color(), kMaroon);
  EXPECT_FALSE(f2().Label23.font_underline());
  EXPECT_TRUE(f2().Label23.font_bold());

  f1().ticker_count = 2;
  f1().ticker_urls[0] = "http://127.0.0.1/t0";
  f1().ticker_urls[1] = "http://127.0.0.1/t1";
  f1().ticker_index = 1;
  f2().Label23.click();
  f1().ticker_index = 0;
  f2().Label23.click();
  f1().ticker_index = 50;
  f2().Label23.click();
  f1().ticker_index = -1;
  f2().Label23.click();
  EXPECT_EQ(os.shell.opened(),
            (std::vector<std::string>{"http://127.0.0.1/t1", "http://127.0.0.1/t0"}));
}

}  // namespace
}  // namespace qvx::testing
