// An exception inside the automatic node choice's probe threads ends as a failed dial, never
// the process, and leaves no ICMP handle open.
#include "connection_fixture.h"

namespace qvx::testing {
namespace {

class ProbeFailure : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    f1().relay_mode = 1;
    f2().suiComboBox1.set_item_index(0);  // automatic choice
    os.icmp.set_round_trip("127.0.0.2", 30);
    os.icmp.set_round_trip("127.0.0.3", 10);
  }
};

TEST_F(ProbeFailure, ProbeThatThrowsEndsAsAFailedDial) {
  os.icmp.throw_next();
  connect();
  EXPECT_EQ(boxes(), std::vector<std::string>{"程序异常：simulated ICMP fault"});
  EXPECT_NE(log().find("程序异常：simulated ICMP fault"), std::string::npos);
  EXPECT_TRUE(idle());
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_EQ(os.icmp.open_handles(), 0);
  EXPECT_TRUE(os.ras.entry_names().empty());
  // Nothing stays broken: the next automatic choice dials the faster node.
  ui->clear_boxes();
  f2().suiComboBox1.set_item_index(0);
  connect();
  EXPECT_TRUE(connected());
  EXPECT_EQ(f1().best_node, 2);
  EXPECT_TRUE(boxes().empty());
}

}  // namespace
}  // namespace qvx::testing
