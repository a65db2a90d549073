#include <chrono>
#include <thread>

#include "login_fixture.h"
#include "project_version.h"

namespace qvx::testing {
namespace {

constexpr char kQuestion[] =
    "检测到有最新版本，当前版本仍可使用。\n您需要使用自动更新升级到最新版本吗?";

class LoginUpdate : public LoginTest {
 protected:
  void SetUp() override { start_client(); }
  bool updater_started() {
    const auto opened = os.shell.opened();
    return std::count(opened.begin(), opened.end(), "C:\\Quovix\\update.exe") == 1;
  }
};

TEST_F(LoginUpdate, TooOldVersionRunsTheUpdaterAndEnds) {
  service.set(kLog1, {200, verification_line("2431", "2440")});
  login_and_finish();
  EXPECT_EQ(codes,
            (Codes{progress::kChoosingServer, progress::kConnecting, progress::kServerAnswered,
                   progress::kAccountAccepted, progress::kVersionTooOld}));
  EXPECT_EQ(boxes(), std::vector<std::string>{"版本过低,点击确定执行自动更新程序"});
  EXPECT_EQ(f1().RzStatusPane1.caption(), "版本过低");
  EXPECT_NE(log().find("当前版本过低，版本号为：" + project_service_number()), std::string::npos);
  EXPECT_TRUE(updater_started());
  EXPECT_TRUE(f1().is_closed());
  EXPECT_TRUE(ui->quit_requested());
  EXPECT_FALSE(f2().visible());
  EXPECT_EQ(service.count(kList), 0);
  EXPECT_EQ(f1().user_level, "0");  // nothing past the versions is read
}

TEST_F(LoginUpdate, VersionsCompareAsText) {
  // "2430" sorts after "10000", so a five-digit minimum passes.
  service.set(kLog1, {200, verification_line("10000", "2430")});
  login_and_finish();
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_FALSE(updater_started());
}

TEST_F(LoginUpdate, DecliningTheUpdateLetsTheLoginGoOn) {
  service.set(kLog1, {200, verification_line("2430", "2431")});
  ui->answer_next(widgets::kIdNo);
  login_and_finish();
  EXPECT_EQ(codes,
            (Codes{progress::kChoosingServer, progress::kConnecting, progress::kServerAnswered,
                   progress::kAccountAccepted, progress::kUpdateOffered, progress::kNodeListLoading,
                   progress::kNodeListLoaded, progress::kLoggedIn}));
  ASSERT_EQ(ui->boxes().size(), 1u);
  const widgets::RecordedBox box = ui->boxes()[0];
  EXPECT_EQ(box.text, kQuestion);
  EXPECT_EQ(box.caption, "升级提示 ");
  EXPECT_EQ(box.type, widgets::kMbYesNo | widgets::kMbIconQuestion);
  EXPECT_EQ(box.owner, "Form1");
  EXPECT_FALSE(updater_started());
  EXPECT_TRUE(f2().visible());
  EXPECT_EQ(service.count(kLog2), 1);
}

// The list download is held until the question is up, so the thread reaches its next step
// only while the box is open: it must wait there until the answer.
TEST_F(LoginUpdate, ThreadWaitsWhileTheQuestionIsOpen) {
  service.set(kLog1, {200, verification_line("2430", "2431")});
  service.hold(kList);
  int notices_during_box = -1;
  ui->on_box = [&](const widgets::RecordedBox&) {
    service.release();
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    notices_during_box = service.count(kLog2);
  };
  ui->answer_next(widgets::kIdNo);
  login_and_finish();
  EXPECT_EQ(notices_during_box, 0);
  EXPECT_EQ(service.count(kLog2), 1);
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
}

TEST_F(LoginUpdate, AcceptingTheUpdateEndsThreadAndProgram) {
  service.set(kLog1, {200, verification_line("2430", "2431")});
  service.hold(kList);
  ui->on_box = [&](const widgets::RecordedBox&) { service.release(); };
  ui->answer_next(widgets::kIdYes);
  const WorkerId thread = login();
  ASSERT_TRUE(ui->pump_until([&] { return !app->worker_alive(thread); }));
  ui->pump();
  EXPECT_TRUE(updater_started());
  EXPECT_TRUE(f1().is_closed());
  EXPECT_TRUE(ui->quit_requested());
  EXPECT_EQ(app->login_thread, nullptr);
  // The held thread was let go without going further: no notice, no completion.
  EXPECT_EQ(service.count(kLog2), 0);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), progress::kLoggedIn), 0);
  EXPECT_FALSE(f2().visible());
}

TEST_F(LoginUpdate, QuestionAfterTheThreadHasFinishedTouchesNothing) {
  service.set(kLog1, {200, verification_line("2430", "2431")});
  const WorkerId thread = login();
  // Let the thread run to its end before the GUI sees any of its messages.
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (app->worker_alive(thread) && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ASSERT_FALSE(app->worker_alive(thread));
  ui->answer_next(widgets::kIdNo);
  finish(thread);
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_TRUE(f2().visible());
}

TEST_F(LoginUpdate, AcceptingAfterTheThreadHasFinishedStillEnds) {
  service.set(kLog1, {200, verification_line("2430", "2431")});
  const WorkerId thread = login();
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (app->worker_alive(thread) && std::chrono::steady_clock::now() < end) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  ui->answer_next(widgets::kIdYes);
  ui->pump_until([&] { return f1().is_closed(); });
  ui->pump();
  EXPECT_TRUE(updater_started());
  // The completion posted before the answer finds the program ending.
  EXPECT_FALSE(f2().visible());
}

}  // namespace
}  // namespace qvx::testing
