// An exit asked for while the drop message is open: the line is already gone, so nothing is
// under way that the exit would have to wait for; it follows once the message is answered.
#include "connection_fixture.h"

namespace qvx::testing {
namespace {

constexpr char kDrop[] = "网络原因，异常中断";

class DropMessage : public ConnectionTest {
 protected:
  // Connects, lets the link drop and runs ask_to_exit while the drop message is open.
  void drop_and_ask(const std::function<void()>& ask_to_exit) {
    f1().relay_mode = 1;
    connect();
    ui->on_box = [&, ask_to_exit](const widgets::RecordedBox& box) {
      if (box.text != kDrop) return;
      ask_to_exit();
      open_while_asked = !f1().is_closed();
    };
    os.ras.drop(f1().ras_connection);
    ui->advance(5000 + 6000);
  }
  void expect_ended_after_the_message() {
    EXPECT_EQ(boxes(), std::vector<std::string>{kDrop}) << "no refusal";
    EXPECT_TRUE(open_while_asked) << "the exit waits for the answer";
    EXPECT_TRUE(f1().is_closed());
    EXPECT_TRUE(ui->quit_requested());
    EXPECT_EQ(last_log_line(), "成功退出");
    EXPECT_TRUE(os.ras.connection_list().empty());
  }
  bool open_while_asked = false;
};

TEST_F(DropMessage, TheCloseButtonWithoutPromptExitsOnceTheMessageIsAnswered) {
  f1().no_exit_prompt = 1;
  drop_and_ask([this] { f2().title_button(widgets::TitleButton::Close); });
  expect_ended_after_the_message();
}

TEST_F(DropMessage, ConfirmingTheExitWindowExitsOnceTheMessageIsAnswered) {
  f2().title_button(widgets::TitleButton::Close);
  ASSERT_TRUE(app->Form9->visible());
  drop_and_ask([this] { app->Form9->suiButton1.click(); });
  expect_ended_after_the_message();
}

TEST_F(DropMessage, WithoutAnExitRequestTheWindowIsIdleAfterTheMessage) {
  drop_and_ask([] {});
  EXPECT_EQ(boxes(), std::vector<std::string>{kDrop});
  EXPECT_FALSE(f1().is_closed());
  EXPECT_TRUE(idle());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 已断开");
}

}  // namespace
}  // namespace qvx::testing
