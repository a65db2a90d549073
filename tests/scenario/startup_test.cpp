#include "app_fixture.h"
#include "project_version.h"

namespace qvx::testing {
namespace {

using StartupTest = AppTest;

TEST_F(StartupTest, CreatesSixWindowsAndShowsOnlyTheLoginWindow) {
  ASSERT_TRUE(start());
  EXPECT_TRUE(f1().visible());
  for (widgets::Form* hidden : std::initializer_list<widgets::Form*>{
           app->Form2, app->Form3, app->Form4, app->Form5, app->Form9}) {
    EXPECT_FALSE(hidden->visible()) << hidden->name();
  }
  EXPECT_EQ(f1().app_dir, "C:\\Quovix\\");
  EXPECT_EQ(f1().caption(), project_title());
  EXPECT_FALSE(f1().RzStatusPane1.visible());
  EXPECT_EQ(f1().CppWebBrowser1.location(), f1().login_page_url);
}

// Native windows are made as the forms are attached; the first one is the main window.
class AttachOrderUi : public widgets::HeadlessUi {
 public:
  void attach(widgets::Form& form) override { order.push_back(form.name()); }
  std::vector<std::string> order;
};

TEST_F(StartupTest, WindowsAreCreatedLoginFirstThenStatusAnnouncementTipsSettingsExit) {
  AttachOrderUi recording;
  Application client(os.platform(), recording, deployment());
  ASSERT_TRUE(client.start());
  EXPECT_EQ(recording.order,
            (std::vector<std::string>{"Form1", "Form2", "Form3", "Form4", "Form5", "Form9"}));
}

TEST_F(StartupTest, ProgressArrivesAsMessage32780AndUnknownPairsAreIgnored) {
  ASSERT_TRUE(start());
  const std::string log_before = log();
  const int unknown[][2] = {{0, 0}, {1, 5}, {2, 3}, {3, 30}, {3, 33}, {4, 4},
                            {5, 0}, {5, 2}, {6, 2}, {7, 1},  {-1, 1}};
  for (const auto& [stage, code] : unknown) ui->post(f1(), 32780, stage, code);
  ui->post(f1(), 32779, 1, 1);
  ui->post(f1(), 32781, 1, 1);
  ui->pump();
  EXPECT_EQ(f1().RzStatusPane1.caption(), "");
  EXPECT_EQ(log(), log_before);
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(f1().suiButton1.enabled());
  EXPECT_TRUE(f1().visible());

  ui->post(f1(), 32780, progress::kConnecting.stage, progress::kConnecting.code);
  ui->pump();
  EXPECT_EQ(f1().RzStatusPane1.caption(), "正在连接服务器");
}

TEST_F(StartupTest, SecondCopyIsRefusedWithoutWindows) {
  ASSERT_TRUE(start());
  widgets::HeadlessUi second_ui;
  Application second(os.platform(), second_ui, deployment());
  EXPECT_FALSE(second.start());
  EXPECT_EQ(second.Form1, nullptr);
  ASSERT_EQ(second_ui.box_texts().size(), 1u);
  EXPECT_EQ(second_ui.box_texts()[0], "该软件已经在运行");
  EXPECT_TRUE(f1().visible());
}

TEST_F(StartupTest, FirstLinesCarryHeaderDirectoryAndVersion) {
  os.version.major = 5;
  os.version.minor = 1;
  ASSERT_TRUE(start());
  const std::string text = log();
  const std::string expected_start =
      "\r\n\r\n---------------------[2009-1-1]---------------------\r\n"
      "[2009-1-1 0:0:0]  获取程序运行目录为：C:\\Quovix\\\r\n"
      "[2009-1-1 0:0:0]  获取本机操作系统版本为：51\r\n";
  EXPECT_EQ(text.substr(0, expected_start.size()), expected_start);
}

TEST_F(StartupTest, TrayOffersOnlySettingsLogAndExitAtFirst) {
  ASSERT_TRUE(start());
  std::vector<std::string> order;
  for (widgets::MenuItem* item : f1().PopupMenu1.items()) {
    order.push_back(item->caption());
    const bool expect_enabled =
        item->name() == "N3" || item->name() == "N2" || item->name() == "N1";
    EXPECT_EQ(item->enabled(), expect_enabled) << item->name();
  }
  EXPECT_EQ(order, (std::vector<std::string>{"连接", "挂断", "设置", "日志", "精彩提示", "退出"}));
  EXPECT_EQ(f1().RzTrayIcon1.hint(), "Quovix加速");
}

TEST_F(StartupTest, ProgramStartedFromElsewhereUsesItsOwnDirectory) {
  os.files.set_program_path("D:\\程序\\Quovix\\quovix.exe");
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().app_dir, "D:\\程序\\Quovix\\");
  EXPECT_TRUE(os.files.get("D:\\程序\\Quovix\\qvxl.log").has_value());
}

}  // namespace
}  // namespace qvx::testing
