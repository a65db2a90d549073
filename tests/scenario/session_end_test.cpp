// The end of the user's session (log-off, shut-down) as Windows runs it: first the question,
// which a dial or hang-up under way answers with no and a reason, then the end itself, after
// which Windows may end the process at any moment.
#include <chrono>

#include "connection_fixture.h"

namespace qvx::testing {
namespace {

constexpr char kBlockReason[] = "正在连接或挂断，请稍候";

class SessionEnd : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    f1().relay_mode = 1;
  }
  // WM_ENDSESSION as the main window's peer hands it to the form.
  void end_session() { f1().widgets::Form::end_session(); }
  void expect_torn_down() {
    EXPECT_TRUE(os.ras.connection_list().empty());
    EXPECT_TRUE(os.ras.entry_names().empty());
    EXPECT_EQ(last_log_line(), "成功退出");
    EXPECT_FALSE(f1().log_file.is_open());
    EXPECT_TRUE(ui->quit_requested());
  }
};

TEST_F(SessionEnd, DialAndHangUpHoldTheSessionWithAReasonWhileTheyRun) {
  EXPECT_TRUE(f1().query_end_session());
  os.ras.hold_dials(true);
  f2().suiButton2.click();
  ASSERT_TRUE(ui->pump_until([&] { return os.ras.dial_waiting(); }));
  EXPECT_EQ(ui->shutdown_block(), kBlockReason);
  EXPECT_FALSE(f1().query_end_session());
  os.ras.hold_dials(false);
  ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
  ASSERT_TRUE(connected());
  EXPECT_EQ(ui->shutdown_block(), "");
  EXPECT_TRUE(f1().query_end_session());

  f2().suiButton2.click();
  EXPECT_EQ(ui->shutdown_block(), kBlockReason);
  ASSERT_TRUE(ui->pump_until([&] { return app->hangup_thread == nullptr; }));
  EXPECT_EQ(ui->shutdown_block(), "");
  EXPECT_EQ(ui->shutdown_blocks_set(), 2);
}

// Nothing may be left for after the message: the tunnel and its entry go inside it.
TEST_F(SessionEnd, SessionEndingWhileConnectedHangsUpAndRemovesTheEntry) {
  connect();
  ASSERT_TRUE(connected());
  ASSERT_FALSE(os.ras.entry_names().empty());
  ASSERT_TRUE(f1().query_end_session());
  end_session();
  expect_torn_down();
}

// The user chose to end the session anyway: the dial gets a short wait, not the 5 s after which
// Windows offers to end a program that does not answer, and the teardown still runs.
TEST_F(SessionEnd, StuckDialGetsABoundedWaitThenTheTeardownRuns) {
  os.ras.hold_dials(true);
  f2().suiButton2.click();
  ASSERT_TRUE(ui->pump_until([&] { return os.ras.dial_waiting(); }));
  const auto asked = std::chrono::steady_clock::now();
  end_session();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(4));
  EXPECT_TRUE(os.ras.entry_names().empty());
  EXPECT_EQ(last_log_line(), "成功退出");
  EXPECT_TRUE(ui->quit_requested());
  os.ras.hold_dials(false);
}

}  // namespace
}  // namespace qvx::testing
