#include "redial_fixture.h"
#include "windows/unit5.h"

namespace qvx::testing {
namespace {

TEST_F(RedialTest, ADropIsRedialledLikeTheFirstDialWithACountdownAndABalloon) {
  set_route_tables();
  connect();
  ASSERT_TRUE(connected());
  const auto first_dial = os.ras.calls_of(Call::Dial).at(0);
  const auto first_created = described(os.ip_helper.created());
  const auto first_set = described(os.ip_helper.set_rows());
  const int balloons = f1().RzTrayIcon1.balloon_count();
  os.ras.clear_calls();
  os.ip_helper.clear_rows();

  drop_and_detect();
  EXPECT_TRUE(boxes().empty()) << "no drop box while a redial is pending";
  EXPECT_EQ(pane(), "连接已断开，10 秒后第 1 次重连");
  EXPECT_TRUE(connected()) << "挂断 stays available to call the redial off";
  EXPECT_FALSE(f2().Timer3.enabled());
  EXPECT_EQ(dials(), 0u);
  ui->advance(1000);
  EXPECT_EQ(pane(), "连接已断开，9 秒后第 1 次重连");
  ui->advance(8000);
  EXPECT_EQ(pane(), "连接已断开，1 秒后第 1 次重连");
  EXPECT_EQ(dials(), 0u);
  ui->advance(1000);
  ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
  ui->pump();

  EXPECT_TRUE(connected());
  EXPECT_EQ(pane(), "连接状态： 已连接");
  EXPECT_TRUE(f2().Timer4.enabled());
  const auto again = os.ras.calls_of(Call::Dial);
  ASSERT_EQ(again.size(), 1u);
  EXPECT_EQ(again[0].user, first_dial.user);
  EXPECT_EQ(again[0].password, first_dial.password);
  const auto entries = os.ras.calls_of(Call::SetEntry);
  ASSERT_EQ(entries.size(), 1u);
  EXPECT_EQ(entries[0].entry.phone_number, "127.0.0.2") << "the same node";
  EXPECT_EQ(entries[0].entry.vpn_strategy, 1u) << "the same network mode";
  EXPECT_EQ(described(os.ip_helper.created()), first_created) << "the same partial relay";
  EXPECT_EQ(described(os.ip_helper.set_rows()), first_set);
  EXPECT_EQ(f1().RzTrayIcon1.balloon_count(), balloons + 1);
  EXPECT_EQ(f1().RzTrayIcon1.balloon_text(), "网络中断后已自动重新连接成功！");
  EXPECT_EQ(log_count("断线自动重连，第 1 次"), 1u);
  EXPECT_EQ(log_count("断线自动重连成功"), 1u);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(RedialTest, ThreeFailedTriesEndInTheDropBoxAndNothingAfter) {
  f1().relay_mode = 1;
  connect();
  os.ras.fail_next(Call::Dial, 678, 5);
  drop_and_detect();
  for (int k = 1; k <= Redial::kTries; ++k) {
    EXPECT_EQ(pane(), "连接已断开，10 秒后第 " + std::to_string(k) + " 次重连");
    EXPECT_TRUE(boxes().empty()) << "a failed try shows no message";
    run_try();
    EXPECT_EQ(dials(), static_cast<std::size_t>(1 + k));
  }
  EXPECT_EQ(boxes(), std::vector<std::string>{"网络原因，异常中断"});
  EXPECT_TRUE(idle());
  EXPECT_EQ(pane(), "连接状态： 已断开");
  EXPECT_FALSE(f1().N4.enabled());
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_EQ(log_count("断线自动重连失败，错误编号：678"), 3u);
  ui->advance(60000);
  EXPECT_EQ(dials(), 4u) << "no fourth try";
  EXPECT_TRUE(os.ras.entry_names().empty());
}

TEST_F(RedialTest, ACredentialErrorStopsTheRedialWithItsOwnMessage) {
  f1().relay_mode = 1;
  const struct {
    std::uint32_t error;
    const char* box;
  } cases[] = {{691, "该账号正在被使用！"}, {708, "错误编号：708，请尝试重新连接，或者联系我们"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.error);
    ui->clear_boxes();
    connect();
    const std::size_t before = dials();
    os.ras.fail_next(Call::Dial, c.error, 5);
    drop_and_detect();
    run_try();
    EXPECT_EQ(boxes(), std::vector<std::string>{c.box});
    EXPECT_TRUE(idle());
    ui->advance(60000);
    EXPECT_EQ(dials(), before + 1);
    EXPECT_EQ(boxes().size(), 1u);
    os.ras.clear_failures();
  }
}

// The try checks the account as a click would. Behind its message the countdown is over, so the
// tray offers no 挂断 that could only ask again; afterwards the drop stands.
TEST_F(RedialTest, AnAccountExpiredByTheTryEndsTheRedialWithTheExpiryMessage) {
  f1().relay_mode = 1;
  connect();
  drop_and_detect();
  f1().expiry_time = f1().server_time;
  struct {
    std::string button, pane;
    bool button_enabled = false, tray_hang_up = true, tray_connect = true;
  } behind;
  ui->on_box = [&](const widgets::RecordedBox&) {
    behind = {f2().suiButton2.caption(), pane(), f2().suiButton2.enabled(), f1().N4.enabled(),
              f1().N5.enabled()};
  };
  ui->advance(Redial::kIntervalSeconds * 1000);
  ui->pump();
  EXPECT_EQ(boxes(), std::vector<std::string>{"您的账号已经到期，请充值后再使用！"});
  EXPECT_EQ(behind.button, "挂断");
  EXPECT_TRUE(behind.button_enabled);
  EXPECT_FALSE(behind.tray_hang_up);
  EXPECT_FALSE(behind.tray_connect);
  EXPECT_EQ(behind.pane, "连接已断开，1 秒后第 1 次重连");
  EXPECT_TRUE(idle());
  EXPECT_EQ(pane(), "连接状态： 已断开");
  EXPECT_FALSE(f1().N4.enabled());
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_EQ(dials(), 1u) << "no try is dialled";
  EXPECT_EQ(log_count("断线自动重连，第 1 次"), 1u);
}

TEST_F(RedialTest, HangUpLogOffExitOrTurningTheOptionOffCallsAPendingRedialOff) {
  f1().relay_mode = 1;
  const struct {
    const char* how;
    std::function<void()> act;
    const char* pane;
  } cases[] = {
      {"挂断", [&] { f2().suiButton2.click(); }, "连接状态： 未连接"},
      {"tray 挂断", [&] { f1().N4Click(); }, "连接状态： 未连接"},
      {"option off",
       [&] {
         app->Form5->show();
         app->Form5->option_box(&ClientRecord::auto_redial).set_checked(false);
         app->Form5->suiButton1.click();
       },
       "连接状态： 已断开"},
      {"exit", [&] { f1().N1Click(); }, nullptr},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.how);
    f1().auto_redial = 1;
    connect();
    ASSERT_TRUE(connected());
    const std::size_t before = dials();
    drop_and_detect();
    ui->advance(3000);
    ASSERT_EQ(pane(), "连接已断开，7 秒后第 1 次重连");
    c.act();
    ui->pump();
    EXPECT_EQ(app->hangup_thread, nullptr) << "nothing is left to hang up";
    ui->advance(60000);
    EXPECT_EQ(dials(), before) << "no dial after the redial was called off";
    EXPECT_TRUE(boxes().empty());
    if (c.pane) {
      EXPECT_TRUE(idle());
      EXPECT_EQ(pane(), c.pane);
      EXPECT_FALSE(f1().N4.enabled());
    }
  }
}

TEST_F(RedialTest, LoggingOffDuringTheCountdownDialsNoMore) {
  f1().relay_mode = 1;
  connect();
  drop_and_detect();
  f1().end_session();
  ui->advance(60000);
  EXPECT_EQ(dials(), 1u);
  EXPECT_FALSE(f2().redial.pending());
}

TEST_F(RedialTest, ResumeWithTheOptionOnRedialsOnceAfterTheSettleDelay) {
  f1().relay_mode = 1;
  connect();
  f1().power(widgets::PowerEvent::Suspend);
  os.ras.drop(f1().ras_connection);  // the tunnel does not survive the sleep
  f1().power(widgets::PowerEvent::Resume);
  f1().power(widgets::PowerEvent::Resume);  // automatic, then by the user
  EXPECT_EQ(pane(), "连接已断开，5 秒后第 1 次重连");
  EXPECT_FALSE(f2().Timer4.enabled()) << "the monitor does not report the sleep as a drop";
  ui->advance(Redial::kSettleSeconds * 1000);
  ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
  ui->pump();
  EXPECT_EQ(pane(), "连接状态： 已连接");
  EXPECT_EQ(dials(), 2u);
  ui->advance(60000);
  EXPECT_EQ(dials(), 2u);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(os.ras.connection_list().size(), 1u);
}

TEST_F(RedialTest, ResumeWithTheOptionOffOrWithoutAConnectionDoesNothingNew) {
  f1().relay_mode = 1;
  f1().power(widgets::PowerEvent::Suspend);
  f1().power(widgets::PowerEvent::Resume);
  EXPECT_TRUE(idle()) << "nothing was connected at the sleep";
  EXPECT_EQ(pane(), "连接状态： 未连接");

  f1().auto_redial = 0;
  connect();
  f1().power(widgets::PowerEvent::Suspend);
  f1().power(widgets::PowerEvent::Resume);
  EXPECT_TRUE(connected());
  EXPECT_TRUE(f2().Timer4.enabled());
  EXPECT_FALSE(f2().redial.pending());
  EXPECT_EQ(dials(), 1u);
}

// A line that drops every connection soon after it is made: each drop gets its own tries, one
// dial thread at a time, and no connection or entry piles up.
TEST_F(RedialTest, ALineThatDropsEveryConnectionNeverPilesUpDialsOrConnections) {
  f1().relay_mode = 1;
  connect();
  for (int cycle = 1; cycle <= 6; ++cycle) {
    SCOPED_TRACE(cycle);
    drop_and_detect();
    ASSERT_EQ(pane(), "连接已断开，10 秒后第 1 次重连");
    run_try();
    ASSERT_EQ(pane(), "连接状态： 已连接");
    EXPECT_EQ(dials(), static_cast<std::size_t>(1 + cycle));
    EXPECT_EQ(os.ras.connection_list().size(), 1u);
    EXPECT_LE(os.ras.entry_names().size(), 1u);
  }
  EXPECT_TRUE(boxes().empty());
}

// A try whose own new connection is gone before the monitor's first look is a fresh drop.
TEST_F(RedialTest, ADropRightAfterATryIsANewDropWithItsOwnTries) {
  f1().relay_mode = 1;
  connect();
  os.ras.fail_next(Call::Dial, 678, 2);
  drop_and_detect();
  run_try();
  run_try();
  EXPECT_EQ(pane(), "连接已断开，10 秒后第 3 次重连");
  run_try();
  ASSERT_EQ(pane(), "连接状态： 已连接");
  drop_and_detect();
  EXPECT_EQ(pane(), "连接已断开，10 秒后第 1 次重连") << "the count starts again";
  EXPECT_TRUE(boxes().empty());
}

// A line that takes each new connection down at once, so every try's connection is gone before
// its dial thread is done (partial relay: while the routes are written): each such try is a
// failed try of the same drop, never a success that starts a fresh drop.
TEST_F(RedialTest, ATryWhoseConnectionIsGoneWhenItsDialEndsIsAFailedTry) {
  set_route_tables();
  connect();
  const int balloons = f1().RzTrayIcon1.balloon_count();
  std::string behind_box;
  ui->on_box = [&](const widgets::RecordedBox&) {
    behind_box = pane() + (f2().suiButton2.enabled() ? " +" : "");
  };
  drop_and_detect();
  os.ras.drop_new_connections(true);
  for (int k = 1; k <= Redial::kTries; ++k) {
    SCOPED_TRACE(k);
    ASSERT_EQ(pane(), "连接已断开，10 秒后第 " + std::to_string(k) + " 次重连");
    run_try();
    EXPECT_EQ(dials(), static_cast<std::size_t>(1 + k));
    EXPECT_FALSE(f2().Timer3.enabled()) << "no connection time for a connection that is gone";
  }
  EXPECT_EQ(boxes(), std::vector<std::string>{"网络原因，异常中断"});
  EXPECT_EQ(behind_box, "连接状态： 已断开") << "the window behind the message, its button";
  EXPECT_TRUE(idle());
  EXPECT_EQ(log_count("断线自动重连失败，错误编号：628"), 3u);
  EXPECT_EQ(log_count("断线自动重连成功"), 0u);
  EXPECT_EQ(f1().RzTrayIcon1.balloon_count(), balloons);
  ui->advance(60000);
  EXPECT_EQ(dials(), 4u) << "no fourth try";
  EXPECT_TRUE(os.ras.entry_names().empty());
  EXPECT_EQ(os.ras.live_connections(), 0u);
}

// 挂断 while a try still writes its routes, and then the try's connection drops: the hang-up
// finds the line already gone and ends idle, with no hang-up error now or on later clicks.
TEST_F(RedialTest, AHangUpWhileTheTrysConnectionDropsEndsIdleWithoutAHangUpError) {
  set_route_tables();
  connect();
  drop_and_detect();
  os.ip_helper.hold_creates(true);
  ui->advance(Redial::kIntervalSeconds * 1000);
  ASSERT_TRUE(ui->pump_until([&] { return connected() && os.ip_helper.create_waiting(); }));
  f2().suiButton2.click();  // 挂断, waiting for the try's dial
  os.ras.drop(f1().ras_connection);
  release_routes_and_settle();
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(idle());
  EXPECT_FALSE(f2().redial.pending());
  EXPECT_EQ(log_count("挂断连接失败"), 0u);
  EXPECT_TRUE(os.ras.connection_list().empty());
  ui->advance(60000);
  EXPECT_EQ(dials(), 2u) << "no try after the hang-up";
}

// The drop message after the last try is shown from that try's thread: an exit asked for while
// it is open is not refused as "connecting" but follows its answer.
TEST_F(RedialTest, AnExitAskedForDuringTheMessageAfterTheLastTryFollowsItsAnswer) {
  f1().relay_mode = 1;
  f1().no_exit_prompt = 1;
  connect();
  os.ras.fail_next(Call::Dial, 678, 5);
  bool open_while_asked = false;
  ui->on_box = [&](const widgets::RecordedBox& box) {
    if (box.text != "网络原因，异常中断") return;
    f2().title_button(widgets::TitleButton::Close);
    open_while_asked = !f1().is_closed();
  };
  drop_and_detect();
  for (int k = 1; k <= Redial::kTries; ++k) run_try();
  ASSERT_TRUE(ui->pump_until([&] { return ui->quit_requested(); }));
  EXPECT_EQ(boxes(), std::vector<std::string>{"网络原因，异常中断"}) << "no refusal";
  EXPECT_TRUE(open_while_asked) << "the exit waits for the answer";
  EXPECT_TRUE(f1().is_closed());
  EXPECT_EQ(last_log_line(), "成功退出");
}

}  // namespace
}  // namespace qvx::testing
