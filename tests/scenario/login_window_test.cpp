#include "app_fixture.h"

namespace qvx::testing {
namespace {

class LoginWindowTest : public AppTest {
 protected:
  void SetUp() override { ASSERT_TRUE(start()); }
};

TEST_F(LoginWindowTest, RefusedCharacterIsRemovedWithMessage) {
  f1().Edit1.type_text("ab-");
  EXPECT_EQ(f1().Edit1.text(), "ab");
  EXPECT_EQ(f1().account, "ab");
  EXPECT_EQ(boxes(), std::vector<std::string>{"无效字符"});
}

TEST_F(LoginWindowTest, PasteIsJudgedByItsLastCharacterOnly) {
  f1().Edit1.paste("a-b.c");
  EXPECT_EQ(f1().Edit1.text(), "a-b.c");
  EXPECT_EQ(f1().account, "a-b.c");
  EXPECT_TRUE(boxes().empty());
  f1().Edit2.paste("pass word!");
  EXPECT_EQ(f1().Edit2.text(), "pass word");
  EXPECT_EQ(boxes(), std::vector<std::string>{"无效字符"});
}

TEST_F(LoginWindowTest, TypingAnAccountTicksRememberAccountButNotRememberPassword) {
  f1().Edit1.type_key('u');
  EXPECT_TRUE(f1().suiCheckBox1.checked());
  EXPECT_EQ(f1().remember_account, 1);
  f1().suiCheckBox1.toggle();
  EXPECT_EQ(f1().remember_account, 0);
  f1().Edit1.type_key('2');
  EXPECT_TRUE(f1().suiCheckBox1.checked());
  EXPECT_EQ(f1().remember_account, 1);

  f1().Edit2.type_text("pw");
  EXPECT_FALSE(f1().suiCheckBox2.checked());
  f1().suiCheckBox2.toggle();
  EXPECT_EQ(f1().remember_password, 1);
  f1().Edit2.type_text("\b\b");
  EXPECT_FALSE(f1().suiCheckBox2.checked());
  EXPECT_EQ(f1().remember_password, 0);
  EXPECT_EQ(f1().user_password, "");
}

TEST_F(LoginWindowTest, RememberBoxesRefuseEmptyFields) {
  f1().suiCheckBox1.toggle();
  EXPECT_FALSE(f1().suiCheckBox1.checked());
  EXPECT_EQ(f1().remember_account, 0);
  f1().suiCheckBox2.toggle();
  EXPECT_FALSE(f1().suiCheckBox2.checked());
  EXPECT_EQ(boxes(), (std::vector<std::string>{"请您先输入账号！", "请您先输入密码！"}));
}

TEST_F(LoginWindowTest, EnterWithEmptyBoxesNamesTheMissingField) {
  f1().Edit2.type_key('\r');
  f1().Edit1.type_text("user");
  f1().Edit2.type_key('\r');
  EXPECT_EQ(boxes(), (std::vector<std::string>{"请输入账号", "请输入密码"}));
  EXPECT_TRUE(f1().suiButton1.enabled());
  EXPECT_EQ(app->login_thread, nullptr);
}

TEST_F(LoginWindowTest, AcceptedLoginLogsDisablesButtonAndShowsPane) {
  f1().Edit1.type_text("user1");
  f1().Edit2.type_text("secret");
  f1().Edit2.type_key('\r');
  EXPECT_FALSE(f1().suiButton1.enabled());
  EXPECT_TRUE(f1().RzStatusPane1.visible());
  EXPECT_TRUE(f1().RzStatusPane1.blinking());
  const std::string text = log();
  const auto attempt = text.find("用户user1尝试登陆");
  ASSERT_NE(attempt, std::string::npos);
  EXPECT_NE(text.find("开始连接验证服务器", attempt), std::string::npos);
}

TEST_F(LoginWindowTest, LinkLabelsOpenTheirPages) {
  f1().Label3.click();
  f1().Label4.click();
  f1().Label5.click();
  f1().Label6.click();
  const std::string base = Deployment::built_in().vendor_base_url;
  EXPECT_EQ(
      os.shell.opened(),
      (std::vector<std::string>{base + "/reg.asp", Deployment::built_in().vendor_host + "/find.asp",
                                base, base + "/xinshou.asp"}));
}

}  // namespace
}  // namespace qvx::testing
