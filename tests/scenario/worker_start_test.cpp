// A worker whose thread the system refuses to start: the click ends as if it had not been
// made, with a message, and nothing waits for a worker that never ran.
#include <chrono>
#include <system_error>

#include "connection_fixture.h"

namespace qvx::testing {
namespace {

using std::chrono::milliseconds;

void refuse_thread_starts(Application& app) {
  app.start_thread = [](std::function<void()>) -> std::thread {
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
  };
}

void allow_thread_starts(Application& app) {
  app.start_thread = [](std::function<void()> body) { return std::thread(std::move(body)); };
}

class WorkerStart : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    f1().relay_mode = 1;
  }
  void expect_one_failure_box() {
    const auto texts = boxes();
    ASSERT_EQ(texts.size(), 1u);
    EXPECT_EQ(texts[0].rfind("程序异常：", 0), 0u) << texts[0];
    EXPECT_NE(log().find(texts[0]), std::string::npos);
  }
};

TEST_F(WorkerStart, AConnectThatCannotStartItsThreadLeavesTheWindowIdle) {
  refuse_thread_starts(*app);
  EXPECT_NO_THROW(f1().N5.click());  // the tray's 连接, which runs the button's click
  expect_one_failure_box();
  EXPECT_TRUE(idle());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 未连接");
  EXPECT_FALSE(f2().RzStatusPane1.blinking());
  EXPECT_TRUE(f2().suiComboBox1.enabled() && f2().suiComboBox2.enabled() &&
              f2().suiComboBox3.enabled());
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_EQ(app->dial_thread, nullptr);
  EXPECT_TRUE(app->wait_for_workers(milliseconds(0))) << "a worker that never ran is waited for";

  allow_thread_starts(*app);
  connect();
  EXPECT_TRUE(connected());
}

TEST_F(WorkerStart, AHangUpThatCannotStartItsThreadLeavesTheConnectionAsItWas) {
  connect();
  ui->advance(1000);
  ASSERT_EQ(f2().RzStatusPane1.caption(), "连接时间： 0:0:1");
  refuse_thread_starts(*app);
  EXPECT_NO_THROW(f1().N4.click());
  expect_one_failure_box();
  EXPECT_TRUE(connected());
  EXPECT_TRUE(f1().N4.enabled());
  EXPECT_FALSE(f2().RzStatusPane1.blinking());
  EXPECT_EQ(app->hangup_thread, nullptr);
  EXPECT_TRUE(app->wait_for_workers(milliseconds(0)));
  ui->advance(1000);
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接时间： 0:0:2") << "the clock goes on";
  EXPECT_TRUE(f2().Timer4.enabled());

  allow_thread_starts(*app);
  hang_up();
  EXPECT_TRUE(idle());
  EXPECT_TRUE(os.ras.connection_list().empty());
}

TEST_F(WorkerStart, AnExitAfterAFailedStartIsNotRefused) {
  refuse_thread_starts(*app);
  f2().suiButton2.click();
  ui->clear_boxes();
  f1().N1.click();
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(f1().is_closed());
  EXPECT_EQ(last_log_line(), "成功退出");
}

using LoginStart = AppTest;

TEST_F(LoginStart, ALoginThatCannotStartItsThreadCanBeTriedAgain) {
  ASSERT_TRUE(start());
  f1().Edit1.set_text("user1");
  f1().Edit2.set_text("secret");
  const bool pane_shown = f1().RzStatusPane1.visible();
  refuse_thread_starts(*app);
  EXPECT_NO_THROW(f1().suiButton1.click());
  const auto texts = boxes();
  ASSERT_EQ(texts.size(), 1u);
  EXPECT_EQ(texts[0].rfind("程序异常：", 0), 0u);
  EXPECT_TRUE(f1().suiButton1.enabled());
  EXPECT_EQ(f1().RzStatusPane1.visible(), pane_shown);
  EXPECT_FALSE(f1().RzStatusPane1.blinking());
  EXPECT_EQ(app->login_thread, nullptr);
  EXPECT_TRUE(app->wait_for_workers(milliseconds(0)));
}

}  // namespace
}  // namespace qvx::testing
