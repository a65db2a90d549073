#include "app_fixture.h"

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
  EXPECT_EQ(f1().caption(), "Quovix加速2.43");
  EXPECT_FALSE(f1().RzStatusPane1.visible());
  EXPECT_EQ(f1().CppWebBrowser1.location(), f1().login_page_url);
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
