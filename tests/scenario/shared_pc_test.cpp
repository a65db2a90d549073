// A PC with several Windows users (fast user switching): one client per machine, and each
// user's remembered login kept from the others.
#include "connection_fixture.h"
#include "shell/client_names.h"
#include "shell/password.h"

namespace qvx::testing {
namespace {

constexpr char kUserIni[] = "C:\\Quovix\\user.ini";
constexpr char kOtherUserRuns[] =
    "本机的另一个Windows用户正在运行Quovix加速。\n"
    "拨号连接和路由表由整台电脑共用，同一时间只能运行一个Quovix加速。";

const model::LogonSession kBob{2, "S-1-5-21-1-1002"};

// A second client as the process entry starts it, in a session of its own.
struct SessionClient {
  SessionClient(sim::SimPlatform& machine, model::LogonSession who) : os(machine, who) {}
  ~SessionClient() { stop(); }
  bool start() {
    app = std::make_unique<Application>(os.platform(), ui, Deployment::built_in());
    return app->start();
  }
  void stop() {
    app.reset();
    os.mutex.end_process();
  }
  sim::SimSession os;
  widgets::HeadlessUi ui;
  std::unique_ptr<Application> app;
};

using OneClientPerPc = ConnectionTest;

TEST_F(OneClientPerPc, AnotherUsersClientIsRefusedAndTouchesNoConnectionNorRoute) {
  set_route_tables();
  connect();
  ASSERT_TRUE(connected());
  const auto ras_calls = os.ras.calls().size();
  const auto routes = os.ip_helper.routes();
  const auto route_writes = os.ip_helper.writes().size();

  SessionClient bob(os, kBob);
  EXPECT_FALSE(bob.start());
  EXPECT_EQ(bob.app->Form1, nullptr);
  EXPECT_EQ(bob.ui.box_texts(), std::vector<std::string>{kOtherUserRuns});
  bob.stop();

  EXPECT_EQ(os.ras.calls().size(), ras_calls);
  EXPECT_EQ(os.ip_helper.writes().size(), route_writes);
  EXPECT_EQ(os.ip_helper.routes().size(), routes.size());
  EXPECT_EQ(os.ras.live_connections(), 1u);
  EXPECT_TRUE(connected());
  EXPECT_TRUE(boxes().empty());

  // Once the first client has ended, the other user's starts.
  hang_up();
  stop();
  EXPECT_TRUE(bob.start());
}

TEST_F(OneClientPerPc, TheSameUserInASecondSessionIsRefusedAsAnotherSession) {
  SessionClient again(os, {3, os.session.user});
  EXPECT_FALSE(again.start());
  EXPECT_EQ(again.ui.box_texts(), std::vector<std::string>{kOtherUserRuns});
}

TEST_F(OneClientPerPc, AnEarlierVersionInThisSessionIsSeenBothWays) {
  // It holds only the session's name.
  sim::SimMutex earlier(os.objects, os.session);
  EXPECT_EQ(earlier.create(kClientMutexSession), platform::MutexCreate::Existed);
  stop();
  earlier.end_process();
  ASSERT_EQ(earlier.create(kClientMutexSession), platform::MutexCreate::Created);
  EXPECT_FALSE(start());
  EXPECT_EQ(boxes(), std::vector<std::string>{"该软件已经在运行"});
}

class UsersOwnLogin : public AppTest {
 protected:
  std::string ini_plain() {
    return unscramble_file_bytes(os.files.get(kUserIni).value_or(""), os.clock);
  }
  void exit_client() {
    f1().close();
    stop();
    os.clock.advance(1);
  }
  void remember(const std::string& account, const std::string& pw) {
    f1().Edit1.set_text(account);
    f1().Edit2.set_text(pw);
    if (!f1().suiCheckBox2.checked()) f1().suiCheckBox2.toggle();
  }
};

TEST_F(UsersOwnLogin, AnotherUserCannotUnprotectTheRememberedPassword) {
  ASSERT_TRUE(start());
  remember("alice", "pw-of-alice");
  exit_client();
  const std::string ini = ini_plain();
  EXPECT_EQ(ini.find("alice"), std::string::npos);

  // Even handed Alice's stored values, Bob's DPAPI does not give her password back.
  SessionClient bob(os, kBob);
  os.hives[kBob.user] = os.hives[os.session.user];
  for (const auto& [name, bytes] : os.hives[kBob.user]) {
    EXPECT_EQ(bytes.find("pw-of-alice"), std::string::npos) << name << " holds it in the clear";
    EXPECT_FALSE(bob.os.data_protection.unprotect(bytes)) << name;
  }
  ASSERT_TRUE(bob.start());
  EXPECT_EQ(bob.app->Form1->Edit2.text(), "");
  EXPECT_EQ(bob.app->Form1->user_password, "");
  bob.stop();

  // Alice still gets it.
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().Edit1.text(), "alice");
  EXPECT_EQ(f1().Edit2.text(), "pw-of-alice");
}

TEST_F(UsersOwnLogin, AUsersLoginIsNotShownToAnother) {
  ASSERT_TRUE(start());
  remember("alice", "pw");
  exit_client();
  SessionClient bob(os, kBob);
  ASSERT_TRUE(bob.start());
  EXPECT_EQ(bob.app->Form1->Edit1.text(), "");
  EXPECT_EQ(bob.app->Form1->Edit2.text(), "");
}

TEST_F(UsersOwnLogin, AChangedBlobGivesNoPassword) {
  ASSERT_TRUE(start());
  remember("alice", "pw-of-alice");
  exit_client();
  std::string& blob = os.hives[os.session.user]["Password"];
  ASSERT_GT(blob.size(), 24u);
  blob[blob.size() / 2] ^= 1;
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().Edit1.text(), "alice");
  EXPECT_EQ(f1().Edit2.text(), "");
  EXPECT_NE(log().find("记住的密码无法解密，请重新输入"), std::string::npos);
}

TEST_F(UsersOwnLogin, AnEarlierVersionsFileIsMovedOnceAndLaterPasswordsAreProtected) {
  os.files.put(kUserIni, scramble_to_file_bytes("1\nold_user\n1\nold_pw\n1\n0\n0\n2\n", os.clock));
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().Edit1.text(), "old_user");
  EXPECT_EQ(f1().Edit2.text(), "old_pw");
  EXPECT_EQ(f1().auto_connect, 1);
  EXPECT_EQ(f1().verify_server, 2);
  EXPECT_EQ(ini_plain(), "0\n\n0\n\n1\n0\n0\n2\n") << "the login stays in the program folder";
  const std::string moved = "记住的账号和密码已移到当前Windows用户";
  EXPECT_NE(log().find(moved), std::string::npos);
  const std::string first_blob = os.hives[os.session.user]["Password"];
  EXPECT_EQ(os.data_protection.unprotect(first_blob), "old_pw");

  restart();
  EXPECT_EQ(log().find(moved), log().rfind(moved)) << "moved a second time";
  EXPECT_EQ(f1().Edit2.text(), "old_pw");
  f1().Edit2.set_text("typed_later");
  exit_client();
  EXPECT_EQ(ini_plain().substr(0, 6), "0\n\n0\n\n");
  const std::string blob = os.hives[os.session.user]["Password"];
  EXPECT_EQ(blob.find("typed_later"), std::string::npos);
  EXPECT_EQ(os.data_protection.unprotect(blob), "typed_later");
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().Edit2.text(), "typed_later");
}

TEST_F(UsersOwnLogin, AShortEarlierFileKeepsItsAccount) {
  os.files.put(kUserIni, scramble_to_file_bytes("1\nshort_user", os.clock));
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().Edit1.text(), "short_user");
  restart();
  EXPECT_EQ(f1().Edit1.text(), "short_user");
  EXPECT_TRUE(f1().suiCheckBox1.checked());
}

}  // namespace
}  // namespace qvx::testing
