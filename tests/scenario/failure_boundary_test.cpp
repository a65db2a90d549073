// Exceptions nobody expects: a worker's ends as that worker's ordinary failure, a timer
// handler's leaves the program running; each is logged and shown once.
#include "connection_fixture.h"

namespace qvx::testing {
namespace {

constexpr char kFailure[] = "程序异常：simulated RAS fault";

class FailureBoundary : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    f1().relay_mode = 1;
  }
  bool logged(const std::string& line) { return log().find(line) != std::string::npos; }
};

TEST_F(FailureBoundary, DialThatThrowsEndsAsAFailedDial) {
  os.ras.throw_next(Call::Dial);
  connect();
  EXPECT_EQ(boxes(), std::vector<std::string>{kFailure});
  EXPECT_TRUE(logged(kFailure));
  EXPECT_TRUE(idle());
  EXPECT_TRUE(f2().suiComboBox1.enabled());
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_TRUE(os.ras.entry_names().empty());
  // The program goes on: the next dial connects.
  connect();
  EXPECT_TRUE(connected());
}

TEST_F(FailureBoundary, HangUpThatThrowsCanBeTriedAgain) {
  connect();
  os.ras.throw_next(Call::HangUp);
  hang_up();
  EXPECT_EQ(boxes(), std::vector<std::string>{kFailure});
  EXPECT_TRUE(connected());
  EXPECT_TRUE(f1().N4.enabled());
  hang_up();
  EXPECT_TRUE(idle());
  EXPECT_TRUE(os.ras.connection_list().empty());
}

TEST_F(FailureBoundary, TimerHandlerThatThrowsLeavesTheMonitorRunning) {
  connect();
  os.ras.throw_next(Call::ConnectStatus);
  ui->advance(5000);
  EXPECT_EQ(boxes(), std::vector<std::string>{kFailure});
  EXPECT_TRUE(logged(kFailure));
  EXPECT_TRUE(connected());
  os.ras.drop(f1().ras_connection);
  ui->advance(5000 + 6000);  // the monitor's tick, then its second look
  EXPECT_EQ(boxes().back(), "网络原因，异常中断");
  EXPECT_TRUE(idle());
}

}  // namespace
}  // namespace qvx::testing
