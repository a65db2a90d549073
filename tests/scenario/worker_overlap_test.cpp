// Events that overlap a worker: a hang-up, an exit or a log-off while the dial thread is still
// busy, a drop reported while the tray is usable, a failed dial that leaves a handle behind.
#include <chrono>
#include <thread>

#include "connection_fixture.h"

namespace qvx::testing {
namespace {

constexpr char kRefusal[] = "正在连接或挂断，请稍候再退出！";

using WorkerOverlapTest = ConnectionTest;

TEST_F(WorkerOverlapTest, HangUpDuringTheRouteChangesRestoresAfterThem) {
  connect_and_hold_in_routes();
  f2().suiButton2.click();
  // Whatever the hang-up can do before the routes go on, it does now.
  ui->pump_until([&] { return app->hangup_thread == nullptr; }, 300);
  release_routes_and_settle();

  EXPECT_TRUE(idle());
  EXPECT_EQ(os.ip_helper.created().size(), 3u);
  const auto writes = os.ip_helper.writes();
  ASSERT_GE(writes.size(), 2u);
  // The hang-up's two default-route rows are the table's last changes.
  const auto& tunnel = writes[writes.size() - 2];
  const auto& local = writes.back();
  EXPECT_FALSE(tunnel.created);
  EXPECT_EQ(tunnel.row.if_index, 23u);
  EXPECT_EQ(tunnel.row.metric1, 50u) << "back to the tunnel's own metric";
  EXPECT_FALSE(local.created);
  EXPECT_EQ(local.row.if_index, 2u);
  EXPECT_EQ(local.row.metric1, 25u) << "the LAN's row as it was";
  EXPECT_TRUE(os.ras.connection_list().empty());
}

TEST_F(WorkerOverlapTest, ExitDuringTheRouteChangesIsRefused) {
  connect_and_hold_in_routes();
  f1().no_exit_prompt = 1;
  f2().exit_request();  // the close button, without the question
  EXPECT_EQ(boxes(), std::vector<std::string>{kRefusal});
  EXPECT_FALSE(f1().is_closed());
  release_routes_and_settle();
  EXPECT_TRUE(connected());
}

// The refused 退出 empties the account while the dial thread has yet to send it.
TEST_F(WorkerOverlapTest, RefusedExitDuringADialLeavesTheDialledAccountAlone) {
  f1().relay_mode = 1;
  f2().suiButton2.click();  // the thread now waits for the GUI to read the node box
  f1().N1.click();
  EXPECT_EQ(boxes(), std::vector<std::string>{kRefusal});
  EXPECT_EQ(f1().account, "");
  ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
  const auto dials = os.ras.calls_of(Call::Dial);
  ASSERT_EQ(dials.size(), 1u);
  EXPECT_EQ(dials[0].user, "user1");
  EXPECT_TRUE(connected());
}

TEST_F(WorkerOverlapTest, NothingFromTheTrayContradictsTheDropMessage) {
  f1().relay_mode = 1;
  connect();
  const auto handle = f1().ras_connection;
  bool hang_up_usable = true, exit_usable = true, button_usable = true;
  platform::RasHandle named = handle;
  ui->on_box = [&](const widgets::RecordedBox&) {
    hang_up_usable = f1().N4.enabled();
    exit_usable = f1().N1.enabled();
    button_usable = f2().suiButton2.enabled();
    named = f1().ras_connection;
  };
  os.ras.drop(handle);
  ui->advance(5000 + 6000);
  ASSERT_EQ(boxes(), std::vector<std::string>{"网络原因，异常中断"});
  EXPECT_FALSE(hang_up_usable);
  EXPECT_FALSE(exit_usable);
  EXPECT_FALSE(button_usable);
  EXPECT_EQ(named, 0u) << "the dead connection is forgotten before the box";
  // Once answered, the window is idle and the program can be left again.
  EXPECT_TRUE(idle());
  EXPECT_TRUE(f1().N1.enabled());
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_FALSE(f1().N4.enabled());
}

TEST_F(WorkerOverlapTest, FailedDialHangsUpTheHandleItWasGiven) {
  f1().relay_mode = 1;
  os.ras.failed_dials_listed = false;  // only the handle reaches the half-made connection
  os.ras.fail_next(Call::Dial, 678);
  connect();
  EXPECT_TRUE(idle());
  EXPECT_TRUE(os.ras.connection_list().empty());
  EXPECT_TRUE(os.ras.entry_names().empty());
}

TEST_F(WorkerOverlapTest, LogOffDuringADialEndsAsAnExitWould) {
  f1().relay_mode = 1;
  os.ras.hold_dials(true);
  f2().suiButton2.click();
  ASSERT_TRUE(ui->pump_until([&] { return os.ras.dial_waiting(); }));
  std::thread line([this] {
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    os.ras.hold_dials(false);
  });
  f1().end_session();
  line.join();
  // However the log-off went, the dial has answered by now (the message loop has ended).
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (os.ras.calls_of(Call::Dial).empty() && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_EQ(os.ras.calls_of(Call::Dial).size(), 1u);
  EXPECT_TRUE(f1().is_closed());
  EXPECT_TRUE(ui->quit_requested());
  EXPECT_EQ(last_log_line(), "成功退出");
  EXPECT_TRUE(os.ras.connection_list().empty());
  EXPECT_TRUE(os.ras.entry_names().empty());
}

// Identity by serial number: a worker that has been reaped never reads as alive again, even
// when the next worker is allocated where it lived.
TEST_F(WorkerOverlapTest, AReapedWorkerStaysFinishedWhateverStartsAfterIt) {
  f1().relay_mode = 1;
  os.ras.fail_next(Call::Dial, 678);
  f2().suiButton2.click();
  const WorkerId first = app->dial_thread->id();
  ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
  ui->pump();
  os.ras.hold_dials(true);
  f2().suiButton2.click();
  const WorkerId second = app->dial_thread->id();
  EXPECT_NE(second, first);
  EXPECT_FALSE(app->worker_alive(first));
  EXPECT_TRUE(app->worker_alive(second));
  os.ras.hold_dials(false);
  ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
}

}  // namespace
}  // namespace qvx::testing
