// The client's hang-ups against a RAS that takes its time to let a connection go: the entry
// name of a new dial is the one just hung up, so a dial that did not wait would meet 633.
#include "redial_fixture.h"

namespace qvx::testing {
namespace {

class HangUpWaitScenario : public RedialTest {
 protected:
  void SetUp() override {
    RedialTest::SetUp();
    f1().relay_mode = 1;
    os.ras.hang_up_linger = std::chrono::milliseconds(300);
  }
  std::string last_dialled() { return os.ras.calls_of(Call::Dial).back().name; }
};

TEST_F(HangUpWaitScenario, HangUpThenConnectAtOnceDialsTheSameEntry) {
  connect();
  const std::string entry = last_dialled();
  hang_up();
  EXPECT_TRUE(idle());
  EXPECT_TRUE(os.ras.connection_list().empty()) << "the hang-up thread waited";
  connect();
  EXPECT_EQ(last_dialled(), entry);
  EXPECT_EQ(os.ras.calls_of(Call::Dial).back().result, 0u);
  EXPECT_TRUE(connected());
  EXPECT_TRUE(boxes().empty());
}

// A link the monitor finds down that RAS still lists: the redial's dial hangs it up on its own
// thread, waits for RAS to let it go, and finds the port free; the windows never wait.
TEST_F(HangUpWaitScenario, ARedialAfterADropSucceeds) {
  // Longer than the countdown's ticks take in real time.
  os.ras.hang_up_linger = std::chrono::milliseconds(2000);
  connect();
  const std::string entry = last_dialled();
  os.ras.fail_next(Call::ConnectStatus, 6, 2);
  const auto start = std::chrono::steady_clock::now();
  ui->advance(5000 + 6000);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000))
      << "the GUI thread waited for RAS";
  ASSERT_TRUE(f2().redial.pending());
  run_try();
  EXPECT_EQ(last_dialled(), entry);
  EXPECT_EQ(os.ras.calls_of(Call::Dial).back().result, 0u);
  EXPECT_FALSE(f2().redial.pending());
  EXPECT_EQ(pane(), "连接状态： 已连接");
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(os.ras.connection_list().size(), 1u);
}

TEST_F(HangUpWaitScenario, TheExitsTeardownLeavesNoConnectionBehind) {
  connect();
  f1().FormClose();
  EXPECT_TRUE(os.ras.connection_list().empty());
}

}  // namespace
}  // namespace qvx::testing
