// Logins against the demo verification service, the one the README's demo and the Wine runs
// use, with its committed accounts.
#include "app_fixture.h"
#include "tools/demo_service/demo_server.h"

namespace qvx::testing {
namespace {

class LoginAgainstDemo : public AppTest {
 protected:
  LoginAgainstDemo() : demo(demo::AccountBook::load(QVX_DEMO_ACCOUNTS)) {}
  ~LoginAgainstDemo() override { stop(); }  // the client goes before the service

  void SetUp() override {
    ASSERT_GT(demo.start(), 0);
    // One range per network, around the addresses the demo accounts report.
    os.files.put("C:\\Quovix\\route\\CHINANET.dat", "61 152 0 0 61 152 255 255 255 255 0 0");
    os.files.put("C:\\Quovix\\route\\CNC.dat", "123 112 0 0 123 127 255 255 255 240 0 0");
    os.files.put("C:\\Quovix\\route\\CERNET.dat", "166 111 0 0 166 111 255 255 255 255 0 0");
    ASSERT_TRUE(start());
  }
  Deployment deployment() override {
    Deployment d = Deployment::built_in();
    const std::string port = std::to_string(demo.port());
    d.vendor_base_url = demo.base_url();
    d.servers[0] = {"127.0.0.1", port};
    d.servers[1] = {"localhost", port};
    d.servers[2] = d.servers[0];
    return d;
  }

  void log_in(const std::string& account, const std::string& password) {
    f1().Edit1.paste(account);
    f1().Edit2.paste(password);
    f1().suiButton1.click();
    ASSERT_TRUE(ui->pump_until([&] { return f1().suiButton1.enabled() || f2().visible(); }));
  }

  demo::DemoServer demo;
};

TEST_F(LoginAgainstDemo, SubscribersSeeTheirAccountAndNetwork) {
  struct Case {
    const char *account, *password, *level, *days, *network;
  };
  const Case cases[] = {{"demo", "demo123", "正式用户", "1800天", "中国电信"},
                        {"trial", "trial123", "试用用户", "30天", "中国网通"},
                        {"expired", "old123", "正式用户", "0天", "教育网"},
                        {"agent", "agent123", "代理商", "2000天", "中国电信"},
                        {"nowhere", "nowhere1", "正式用户", "1800天", "未知网络"}};
  for (const Case& c : cases) {
    restart();
    log_in(c.account, c.password);
    ASSERT_TRUE(f2().visible()) << c.account;
    EXPECT_EQ(f2().Label2.caption(), c.account);
    EXPECT_EQ(f2().Label4.caption(), c.level) << c.account;
    EXPECT_EQ(f2().Label8.caption(), c.days) << c.account;
    EXPECT_EQ(f2().Label13.caption(), c.network) << c.account;
    EXPECT_EQ(f2().suiComboBox1.items().size(), 1u + 8u) << c.account;
    EXPECT_TRUE(boxes().empty()) << c.account;
  }
}

TEST_F(LoginAgainstDemo, ServiceSettingsReplaceTheTitle) {
  f1().settings_url = demo.base_url() + "/ClientComm/set.asp?t=";
  log_in("demo", "demo123");
  ASSERT_TRUE(f2().visible());
  EXPECT_EQ(f2().caption(), "Quovix加速演示版");
  EXPECT_NE(log().find("正在更新软件设置"), std::string::npos);
}

TEST_F(LoginAgainstDemo, WrongPasswordIsRefused) {
  log_in("demo", "wrong1");
  EXPECT_EQ(boxes(), std::vector<std::string>{"用户名和密码错误"});
  EXPECT_TRUE(f1().visible());
}

TEST_F(LoginAgainstDemo, ServiceFaultsEndTheLoginWithTheirMessages) {
  const std::pair<const char*, const char*> cases[] = {{"dead=500", "连接服务器失败"},
                                                       {"dead=close", "连接服务器失败"},
                                                       {"no_list", "更新服务器列表失败"}};
  for (const auto& [switches, message] : cases) {
    restart();
    demo.set_scenario({});
    ASSERT_TRUE(demo.apply(switches, nullptr)) << switches;
    log_in("demo", "demo123");
    EXPECT_EQ(boxes(), std::vector<std::string>{message}) << switches;
    EXPECT_TRUE(f1().suiButton1.enabled());
  }
}

TEST_F(LoginAgainstDemo, NewerVersionAskedAndDeclined) {
  ASSERT_TRUE(demo.apply("new_version", nullptr));
  ui->answer_next(widgets::kIdNo);
  log_in("demo", "demo123");
  EXPECT_TRUE(f2().visible());
  ASSERT_EQ(boxes().size(), 1u);
  EXPECT_EQ(ui->boxes()[0].caption, "升级提示 ");
}

TEST_F(LoginAgainstDemo, OldVersionStartsTheUpdater) {
  ASSERT_TRUE(demo.apply("old_version", nullptr));
  f1().Edit1.paste("demo");
  f1().Edit2.paste("demo123");
  f1().suiButton1.click();
  ASSERT_TRUE(ui->pump_until([&] { return f1().is_closed(); }));
  EXPECT_EQ(boxes(), std::vector<std::string>{"版本过低,点击确定执行自动更新程序"});
  EXPECT_EQ(os.shell.opened().back(), "C:\\Quovix\\update.exe");
}

}  // namespace
}  // namespace qvx::testing
