// The setup's request to end before it replaces the program: the exit's teardown, no question,
// and a dial under way gets a bounded wait instead of a refusal.
#include <chrono>
#include <string>
#include <vector>

#include "connection_fixture.h"

namespace qvx::testing {
namespace {

class SetupExitRequest : public ConnectionTest {
 protected:
  // The registered message as the main window's peer hands it to the form.
  void request_exit() { f1().widgets::Form::exit_request(); }
  // The table as rows of destination, mask, interface and metric.
  std::vector<std::string> routes() {
    std::vector<std::string> rows;
    for (const auto& r : os.ip_helper.routes()) {
      rows.push_back(std::to_string(r.dest) + "/" + std::to_string(r.mask) + " if " +
                     std::to_string(r.if_index) + " metric " + std::to_string(r.metric1));
    }
    return rows;
  }
  void expect_ended() {
    EXPECT_NE(log().find("安装程序要求退出"), std::string::npos) << "the log names who ended it";
    EXPECT_TRUE(boxes().empty());
    EXPECT_FALSE(app->Form9->visible());
    EXPECT_TRUE(os.ras.connection_list().empty());
    EXPECT_TRUE(os.ras.entry_names().empty());
    EXPECT_EQ(last_log_line(), "成功退出");
    EXPECT_FALSE(f1().log_file.is_open());
    EXPECT_TRUE(ui->quit_requested());
  }
};

TEST_F(SetupExitRequest, ConnectedInPartialRelayHangsUpAndRestoresTheRoutes) {
  const auto before = routes();
  f1().relay_mode = 0;
  set_route_tables();
  connect();
  ASSERT_TRUE(connected());
  ASSERT_NE(routes(), before);
  request_exit();
  expect_ended();
  EXPECT_EQ(routes(), before);
}

TEST_F(SetupExitRequest, StuckDialGetsABoundedWaitThenTheTeardownRuns) {
  os.ras.hold_dials(true);
  f2().suiButton2.click();
  ASSERT_TRUE(ui->pump_until([&] { return os.ras.dial_waiting(); }));
  const auto asked = std::chrono::steady_clock::now();
  request_exit();
  EXPECT_LT(std::chrono::steady_clock::now() - asked, std::chrono::seconds(4));
  EXPECT_TRUE(boxes().empty()) << "the tray exit's refusal would hold the setup up";
  expect_ended();
  os.ras.hold_dials(false);
}

}  // namespace
}  // namespace qvx::testing
