#include "logged_in_fixture.h"
#include "shell/password.h"

namespace qvx::testing {
namespace {

constexpr char kRefusal[] = "正在连接或挂断，请稍候再退出！";

using Call = sim::SimRas::Call;

class TrayExitTest : public LoggedInTest {
 protected:
  void dial() {
    f1().relay_mode = 1;
    f2().suiButton2.click();
    ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
    ui->pump();
    os.ras.clear_calls();
  }
  void expect_running() {
    EXPECT_FALSE(f1().is_closed());
    EXPECT_FALSE(ui->quit_requested());
    EXPECT_NE(last_log_line(), "成功退出");
  }
  void expect_ended() {
    EXPECT_TRUE(f1().is_closed());
    EXPECT_TRUE(f2().is_closed());
    EXPECT_FALSE(f2().visible());
    EXPECT_TRUE(ui->quit_requested());
    EXPECT_EQ(last_log_line(), "成功退出");
    EXPECT_FALSE(f1().log_file.is_open());
  }
};

TEST_F(TrayExitTest, LeftClickShowsTheStatusWindowOnlyWhileTheLoginWindowIsHidden) {
  f2().hide();
  f1().show();
  f1().RzTrayIcon1.left_button_down();
  EXPECT_FALSE(f2().visible());
  f1().hide();
  f1().RzTrayIcon1.left_button_down();
  EXPECT_TRUE(f2().visible());
}

TEST_F(TrayExitTest, TrayConnectAndHangUpDriveTheButtonAndDisableThemselves) {
  f1().relay_mode = 1;
  f1().N5.click();
  EXPECT_FALSE(f1().N5.enabled());
  EXPECT_FALSE(f2().suiButton2.enabled());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 正在连接");
  EXPECT_NE(app->dial_thread, nullptr);
  ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
  ASSERT_EQ(f2().suiButton2.caption(), "挂断");
  ASSERT_TRUE(f1().N4.enabled());

  f1().N4.click();
  EXPECT_FALSE(f1().N4.enabled());
  EXPECT_FALSE(f1().N5.enabled());
  EXPECT_FALSE(f2().suiButton2.enabled());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 正在挂断");
  EXPECT_NE(app->hangup_thread, nullptr);
  ASSERT_TRUE(ui->pump_until([&] { return app->hangup_thread == nullptr; }));
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_FALSE(f1().N4.enabled());
  EXPECT_TRUE(os.ras.connection_list().empty());
}

TEST_F(TrayExitTest, SettingsLogAndTipsItems) {
  f1().N3.click();
  EXPECT_TRUE(app->Form5->visible());
  f1().N2.click();
  EXPECT_EQ(os.shell.opened(), std::vector<std::string>{"C:\\Quovix\\qvxl.log"});
  f1().tips_url = "http://127.0.0.1/tips.asp";
  f1().N6.click();
  EXPECT_EQ(app->Form4->CppWebBrowser1.location(), "http://127.0.0.1/tips.asp");
  EXPECT_TRUE(app->Form4->visible());
}

TEST_F(TrayExitTest, TrayExitDuringADialForgetsTheAccountAndStays) {
  f2().suiButton2.click();
  f1().N1.click();
  EXPECT_EQ(boxes(), std::vector<std::string>{kRefusal});
  EXPECT_EQ(f1().Edit1.text(), "");
  EXPECT_EQ(f1().account, "");
  EXPECT_FALSE(f1().suiCheckBox1.checked());
  EXPECT_EQ(f1().remember_account, 0);
  EXPECT_TRUE(f2().visible());
  expect_running();
}

TEST_F(TrayExitTest, TrayExitWhenIdleEndsWithoutAsking) {
  f1().N1.click();
  EXPECT_TRUE(boxes().empty());
  EXPECT_FALSE(app->Form9->visible());
  EXPECT_EQ(f1().Edit1.text(), "user1");
  expect_ended();
}

TEST_F(TrayExitTest, TrayExitWhileConnectedEndsAtOnce) {
  dial();
  ASSERT_EQ(os.ras.connection_list().size(), 1u);
  f1().N1.click();
  EXPECT_TRUE(boxes().empty());
  EXPECT_FALSE(app->Form9->visible());
  expect_ended();
  EXPECT_TRUE(os.ras.connection_list().empty()) << "the tunnel goes with the program";
  EXPECT_TRUE(os.ras.entry_names().empty());
}

TEST_F(TrayExitTest, ExitHangsUpAndDeletesOnlyTheClientsConnectionsAndEntries) {
  os.ras.add_entry("公司VPN");
  const auto foreign = os.ras.add_connection("公司VPN");
  dial();
  const auto handle = f1().ras_connection;
  ASSERT_NE(handle, 0u);
  ASSERT_EQ(os.ras.entry_names().size(), 2u);
  f1().N1.click();
  expect_ended();
  const auto hang_ups = os.ras.calls_of(Call::HangUp);
  ASSERT_EQ(hang_ups.size(), 1u);
  EXPECT_EQ(hang_ups[0].handle, handle);
  EXPECT_FALSE(os.ras.connection(handle).has_value());
  EXPECT_TRUE(os.ras.connection(foreign).has_value());
  EXPECT_EQ(os.ras.entry_names(), std::vector<std::string>{"公司VPN"});
}

TEST_F(TrayExitTest, TeardownGoesOnWhenTheCleanUpThrows) {
  dial();
  os.ras.fail_next(Call::HangUp, 668);
  f1().N1.click();
  expect_ended();
  EXPECT_EQ(os.hives[os.session.user]["Login"].substr(0, 8), "1\nuser1\n")
      << "the settings are still saved";
}

TEST_F(TrayExitTest, TeardownStopsTheThreeBrowserPanes) {
  const int before[] = {f1().CppWebBrowser1.stop_count(), f2().CppWebBrowser1.stop_count(),
                        app->Form4->CppWebBrowser1.stop_count()};
  f1().N1.click();
  EXPECT_EQ(f1().CppWebBrowser1.stop_count(), before[0] + 1);
  EXPECT_EQ(f2().CppWebBrowser1.stop_count(), before[1] + 1);
  EXPECT_EQ(app->Form4->CppWebBrowser1.stop_count(), before[2] + 1);
}

TEST_F(TrayExitTest, ClosingTheLoginWindowBeforeAnyLoginTearsDownTheSameWay) {
  stop();
  ASSERT_TRUE(start());
  f1().close();
  EXPECT_TRUE(ui->quit_requested());
  EXPECT_EQ(last_log_line(), "成功退出");
  EXPECT_FALSE(f1().log_file.is_open());
}

TEST_F(TrayExitTest, CloseButtonAsksWhenPromptIsOn) {
  f1().no_exit_prompt = 0;
  f2().title_button(widgets::TitleButton::Close);
  EXPECT_TRUE(app->Form9->visible());
  EXPECT_TRUE(f2().visible());
  expect_running();

  // A value other than 1 is not "on" either.
  app->Form9->hide();
  f1().no_exit_prompt = 2;
  f2().title_button(widgets::TitleButton::Close);
  EXPECT_TRUE(app->Form9->visible());
  expect_running();
}

TEST_F(TrayExitTest, CloseButtonWithoutPromptRefusesDuringADial) {
  f1().no_exit_prompt = 1;
  f2().suiButton2.click();
  f2().title_button(widgets::TitleButton::Close);
  EXPECT_EQ(boxes(), std::vector<std::string>{kRefusal});
  EXPECT_TRUE(f2().visible());
  EXPECT_FALSE(app->Form9->visible());
  EXPECT_EQ(f1().account, "user1");
  expect_running();
}

TEST_F(TrayExitTest, CloseButtonWithoutPromptExitsWhenIdle) {
  f1().no_exit_prompt = 1;
  f2().title_button(widgets::TitleButton::Close);
  EXPECT_FALSE(app->Form9->visible());
  expect_ended();
}

TEST_F(TrayExitTest, ConfirmationWindowLooksAsDesigned) {
  TForm9& w = *app->Form9;
  EXPECT_EQ(w.caption(), "Quovix加速");
  EXPECT_EQ(w.bounds().width, 253);
  EXPECT_EQ(w.bounds().height, 170);
  EXPECT_FALSE(w.style().close_box);
  EXPECT_FALSE(w.style().minimize_box);
  EXPECT_TRUE(w.style().centred);
  EXPECT_TRUE(w.Label1.word_wrap);
  EXPECT_EQ(w.Label1.caption(), "退出加速软件，也许会导致您的网络速度变慢。确定要退出吗？");
  EXPECT_EQ(w.suiButton1.caption(), "确定");
  EXPECT_EQ(w.suiButton2.caption(), "取消");
  EXPECT_EQ(w.suiCheckBox1.caption(), "下次不再提示，直接退出软件");
  EXPECT_FALSE(w.suiCheckBox1.checked());
}

TEST_F(TrayExitTest, ConfirmingExits) {
  f2().title_button(widgets::TitleButton::Close);
  app->Form9->suiButton1.click();
  EXPECT_FALSE(app->Form9->visible());
  expect_ended();
}

TEST_F(TrayExitTest, ConfirmingDuringAHangUpIsRefused) {
  dial();
  f2().title_button(widgets::TitleButton::Close);
  f2().suiButton2.click();  // 挂断: its report waits for this thread
  ASSERT_NE(app->hangup_thread, nullptr);
  app->Form9->suiButton1.click();
  EXPECT_FALSE(app->Form9->visible());
  EXPECT_EQ(boxes(), std::vector<std::string>{kRefusal});
  expect_running();
  // Once the hang-up has reported, the same confirmation ends the program.
  ASSERT_TRUE(ui->pump_until([&] { return app->hangup_thread == nullptr; }));
  EXPECT_TRUE(os.ras.connection_list().empty());
  f2().title_button(widgets::TitleButton::Close);
  app->Form9->suiButton1.click();
  expect_ended();
}

TEST_F(TrayExitTest, TickingNoPromptThenCancelKeepsItAndTheNextCloseExits) {
  f2().title_button(widgets::TitleButton::Close);
  TForm9& w = *app->Form9;
  w.suiCheckBox1.toggle();
  EXPECT_EQ(f1().no_exit_prompt, 1);
  w.suiButton2.click();
  EXPECT_FALSE(w.visible());
  EXPECT_EQ(f1().no_exit_prompt, 1);
  expect_running();

  f2().title_button(widgets::TitleButton::Close);
  EXPECT_FALSE(w.visible());
  expect_ended();
}

TEST_F(TrayExitTest, UntickingTheBoxAsksAgain) {
  TForm9& w = *app->Form9;
  w.suiCheckBox1.toggle();
  w.suiCheckBox1.toggle();
  EXPECT_EQ(f1().no_exit_prompt, 0);
  f2().title_button(widgets::TitleButton::Close);
  EXPECT_TRUE(w.visible());
}

}  // namespace
}  // namespace qvx::testing
