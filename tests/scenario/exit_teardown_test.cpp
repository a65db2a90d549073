// The exit's teardown completes whatever one of its steps throws: the connection goes, the
// settings are saved, the log ends with its last lines, the loop ends and the process with it.
#include "connection_fixture.h"
#include "shell/process_end.h"

namespace qvx::testing {
namespace {

class ExitTeardown : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    f1().relay_mode = 1;
    connect();
    ASSERT_TRUE(connected());
  }
  // 退出 as the user chooses it (a menu command runs inside the toolkit's failure boundary),
  // then the rest of the process as the program entry runs it.
  void exit_and_end_process() {
    ui->guard([&] { f1().N1.click(); });
    ASSERT_TRUE(ui->quit_requested());
    end_process(std::move(app));
    ASSERT_EQ(os.process.exits(), 1);
  }
  std::size_t logged_at(const std::string& line) { return log().find(line); }
};

TEST_F(ExitTeardown, HangUpThatThrowsStillSavesLogsAndEnds) {
  os.ras.throw_next(Call::HangUp);
  ASSERT_NO_FATAL_FAILURE(exit_and_end_process());
  const auto failure = logged_at("程序异常：simulated RAS fault");
  ASSERT_NE(failure, std::string::npos);
  EXPECT_LT(failure, logged_at("更新用户配置文件"));
  EXPECT_LT(logged_at("更新用户配置文件"), logged_at("成功退出"));
  EXPECT_EQ(last_log_line(), "成功退出");
  EXPECT_TRUE(os.files.get("C:\\Quovix\\user.ini").has_value());
  // The mutex went with the process: the next start is not taken for a second copy.
  ASSERT_TRUE(start());
  EXPECT_TRUE(boxes().empty());
}

TEST_F(ExitTeardown, SaveThatThrowsStillHangsUpLogsAndEnds) {
  os.files.throw_next_replace();
  ASSERT_NO_FATAL_FAILURE(exit_and_end_process());
  EXPECT_TRUE(os.ras.connection_list().empty());
  EXPECT_TRUE(os.ras.entry_names().empty());
  const auto failure = logged_at("程序异常：simulated file fault");
  ASSERT_NE(failure, std::string::npos);
  EXPECT_EQ(last_log_line(), "成功退出");
  ASSERT_TRUE(start());
  EXPECT_TRUE(boxes().empty());
}

}  // namespace
}  // namespace qvx::testing
