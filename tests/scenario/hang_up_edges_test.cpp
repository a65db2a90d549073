// A hang-up whose connection ends some other way first, or whose wait for the dial thread is
// slow or fails: the window ends in a state that matches the line, and stays usable.
#include <chrono>
#include <future>
#include <stdexcept>

#include "connection_fixture.h"

namespace qvx::testing {
namespace {

using std::chrono::milliseconds;

class HangUpEdges : public ConnectionTest {
 protected:
  std::size_t count_in_log(const std::string& line) {
    const std::string text = log();
    std::size_t n = 0;
    for (auto at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) ++n;
    return n;
  }
  // Every line of the log is a time-stamped line or a date header, ended by a line break.
  void expect_whole_log() {
    const std::string text = log();
    ASSERT_FALSE(text.empty());
    EXPECT_EQ(text.back(), '\n');
    std::size_t start = 0;
    while (start < text.size()) {
      std::size_t end = text.find('\n', start);
      if (end == std::string::npos) end = text.size();
      std::string line = text.substr(start, end - start);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (!line.empty()) {
        EXPECT_TRUE(line[0] == '[' || line[0] == '-') << line;
      }
      start = end + 1;
    }
  }
};

TEST_F(HangUpEdges, AHangUpBehindADialThatFailsEndsIdleWithoutAHangUpError) {
  // The hang-up goes on only when the test says so, once the dial has ended.
  std::promise<void> go;
  std::shared_future<void> gate = go.get_future().share();
  app->wait_for_dial = [this, gate](WorkerId id, milliseconds limit) {
    const bool ended = app->wait_for_worker(id, limit);
    if (ended) gate.wait();
    return ended;
  };
  connect_and_hold_in_routes();
  os.ip_helper.throw_next_create();  // the dial fails after the window showed the connection
  f2().suiButton2.click();           // 挂断, waiting for the dial
  os.ip_helper.hold_creates(false);
  ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
  // Between the dial's end and the hang-up's, no new dial can be started beside the hang-up.
  EXPECT_FALSE(f2().suiButton2.enabled());
  EXPECT_FALSE(f1().N5.enabled());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 正在挂断");
  go.set_value();
  release_routes_and_settle();

  EXPECT_EQ(boxes(), std::vector<std::string>{"程序异常：simulated IP Helper fault"});
  EXPECT_TRUE(idle());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 未连接");
  EXPECT_FALSE(f2().RzStatusPane1.blinking());
  EXPECT_TRUE(f2().suiComboBox1.enabled());
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_FALSE(f1().N4.enabled());
  EXPECT_TRUE(os.ras.connection_list().empty());
  EXPECT_EQ(count_in_log("挂断连接失败"), 0u);

  // The next connection is made and ended as usual.
  f1().relay_mode = 1;
  connect();
  ASSERT_TRUE(connected());
  hang_up();
  EXPECT_TRUE(idle());
  EXPECT_EQ(boxes().size(), 1u);
}

// The line is down once RasHangUp has answered; an entry that could not be deleted is no
// connection, so no later click is left to fail at once on the cleared handle.
TEST_F(HangUpEdges, AHangUpThatEndedTheLineButKeptTheEntryEndsIdle) {
  f1().relay_mode = 1;
  connect();
  os.ras.fail_next(Call::DeleteEntry, platform::kRasAccessDenied);
  hang_up();
  EXPECT_EQ(boxes(), std::vector<std::string>{"挂断错误"});
  EXPECT_TRUE(os.ras.connection_list().empty());
  EXPECT_TRUE(idle());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 未连接");
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_FALSE(f1().N4.enabled());
  EXPECT_EQ(count_in_log("挂断连接失败"), 1u);

  // The next dial clears the entry left behind, and its hang-up succeeds.
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(os.ras.entry_names().size(), 1u);
  hang_up();
  EXPECT_TRUE(idle());
  EXPECT_TRUE(os.ras.entry_names().empty());
  EXPECT_EQ(boxes().size(), 1u);
}

// A dial thread slower than the wait: the routes are restored only after its last change.
TEST_F(HangUpEdges, AHangUpKeepsWaitingWhileTheDialStillChangesRoutes) {
  app->wait_for_dial = [this](WorkerId id, milliseconds) {
    return app->wait_for_worker(id, milliseconds(20));
  };
  const auto lan_default = [&] {
    for (const auto& row : os.ip_helper.routes())
      if (row.dest == 0 && row.mask == 0 && row.if_index == 2) return row;
    ADD_FAILURE() << "no LAN default route";
    return platform::ForwardRow{};
  };
  const platform::ForwardRow lan_before = lan_default();
  connect_and_hold_in_routes();
  const std::size_t writes = os.ip_helper.writes().size();
  f2().suiButton2.click();
  // Many waits run out meanwhile.
  EXPECT_FALSE(ui->pump_until([&] { return app->hangup_thread == nullptr; }, 300));
  EXPECT_EQ(os.ip_helper.writes().size(), writes) << "routes restored under the dial";
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 正在挂断");
  EXPECT_TRUE(os.ras.calls_of(Call::HangUp).empty());
  release_routes_and_settle();

  EXPECT_TRUE(idle());
  const auto all = os.ip_helper.writes();
  ASSERT_GE(all.size(), 2u);
  EXPECT_FALSE(all.back().created);
  EXPECT_EQ(all.back().row.if_index, 2u);
  EXPECT_EQ(all.back().row.metric1, lan_before.metric1);  // put back as it was found
  EXPECT_EQ(lan_default().metric1, lan_before.metric1);
  EXPECT_EQ(os.ip_helper.created().size(), 3u);
  EXPECT_TRUE(os.ras.connection_list().empty());
  EXPECT_EQ(count_in_log("挂断正在等待加速连接完成路由表更改"), 1u);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(HangUpEdges, AWaitThatThrowsLeavesTheConnectionUpAndTheWindowUsable) {
  f1().relay_mode = 1;
  connect();
  const auto handle = f1().ras_connection;
  app->wait_for_dial = [](WorkerId, milliseconds) -> bool {
    throw std::runtime_error("wait failed");
  };
  hang_up();
  EXPECT_EQ(boxes(), std::vector<std::string>{"程序异常：wait failed"});
  EXPECT_TRUE(connected());
  EXPECT_TRUE(f1().N4.enabled());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 已连接");
  EXPECT_EQ(f1().ras_connection, handle);
  EXPECT_TRUE(os.ras.connection(handle).has_value());
  EXPECT_LT(log().find("程序异常：wait failed"), log().find("挂断连接失败"));
  expect_whole_log();

  app->wait_for_dial = [this](WorkerId id, milliseconds limit) {
    return app->wait_for_worker(id, limit);
  };
  hang_up();
  EXPECT_TRUE(idle());
  EXPECT_TRUE(os.ras.connection_list().empty());
  expect_whole_log();
}

}  // namespace
}  // namespace qvx::testing
