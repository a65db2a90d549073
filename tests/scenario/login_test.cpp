#include <thread>

#include "login_fixture.h"
#include "project_version.h"
#include "shell/process_end.h"

namespace qvx::testing {
namespace {

// Each line appears in the log after the one before it.
void expect_in_order(const std::string& log, const std::vector<std::string>& lines) {
  std::size_t at = 0;
  for (const auto& line : lines) {
    const auto found = log.find(line, at);
    ASSERT_NE(found, std::string::npos) << "missing or out of order: " << line;
    at = found + line.size();
  }
}

bool starts_with(const std::string& text, const std::string& prefix) {
  return text.compare(0, prefix.size(), prefix) == 0;
}

class LoginFlow : public LoginTest {
 protected:
  void SetUp() override { start_client(); }
};

TEST_F(LoginFlow, GoodLoginFillsTheStatusWindowAndHidesTheLoginWindow) {
  login_and_finish();
  EXPECT_EQ(codes,
            (Codes{progress::kChoosingServer, progress::kConnecting, progress::kServerAnswered,
                   progress::kAccountAccepted, progress::kNodeListLoading,
                   progress::kNodeListLoaded, progress::kLoggedIn}));
  TForm2& s = f2();
  EXPECT_FALSE(f1().visible());
  EXPECT_TRUE(s.visible());
  EXPECT_EQ(s.Label2.caption(), "user1");
  EXPECT_EQ(s.Label4.caption(), "正式用户");
  EXPECT_EQ(s.Label8.caption(), "31天");
  EXPECT_EQ(s.Label6.caption(), "120分");
  EXPECT_EQ(s.Label13.caption(), "未知网络");
  EXPECT_EQ(s.Label10.caption(), "192.168.1.5");  // the simulated machine's own address
  EXPECT_EQ(s.Label11.caption(), "（内网）");
  EXPECT_EQ(s.suiComboBox1.items(), (std::vector<std::string>{"自动选择", "Beijing", "Shanghai"}));
  EXPECT_EQ(s.suiComboBox1.item_index(), 0);
  EXPECT_EQ(s.Label15.caption(), "自动选择");
  EXPECT_EQ(f1().node_names[0], "自动选择");
  EXPECT_EQ(f1().node_addresses[2], "1.2.3.5");
  EXPECT_EQ(s.suiComboBox2.items(), (std::vector<std::string>{"外网模式", "内网模式"}));
  EXPECT_EQ(s.suiComboBox2.item_index(), 0);
  EXPECT_EQ(s.suiComboBox3.items(), (std::vector<std::string>{"部分中转", "完全中转"}));
  EXPECT_EQ(s.suiComboBox3.item_index(), 0);
  EXPECT_EQ(s.caption(), project_title());
  EXPECT_EQ(s.Label23.caption(), "滚动一");
  EXPECT_TRUE(s.Timer5.enabled());
  EXPECT_TRUE(s.Timer1.enabled());   // the list's notice flag is 1
  EXPECT_FALSE(s.Timer2.enabled());  // and its tips flag 0
  EXPECT_EQ(s.RzStatusPane1.caption(), "连接状态： 未连接");
  EXPECT_EQ(s.CppWebBrowser1.location(), service.base() + "/ad/");
  EXPECT_EQ(f1().CppWebBrowser1.stop_count(), 1);
  EXPECT_TRUE(f1().N5.enabled());

  const widgets::Form& f3 = *app->Form3;
  const widgets::Size screen = ui->screen_size();
  EXPECT_EQ(f3.bounds().left, screen.width - f3.bounds().width - 1);
  EXPECT_EQ(f3.bounds().top, screen.height - f3.bounds().height - 25);
  EXPECT_TRUE(f3.topmost());
  EXPECT_FALSE(f3.visible());

  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(f1().RzStatusPane1.caption(), "更新服务器列表成功");
  EXPECT_EQ(f1().verify_server, 1);
  // Every reply file is gone once read.
  EXPECT_FALSE(os.files.get("C:\\Quovix\\information.txt"));
  EXPECT_FALSE(os.files.get("C:\\Quovix\\list.txt"));
  const std::string text = log();
  expect_in_order(text, {"重新选择验证服务器编号为：1", "本机外网IP为：58.1.2.3"});
  expect_in_order(text,
                  {"利用上次记录的验证服务器连接失败，尝试重新选择验证服务器", "正在连接验证服务器",
                   "下载验证文件成功", "用户名密码正确", "正在更新服务器列表", "更新服务器列表成功",
                   "本机的网络类型为:未知网络", "本机的内网IP为：192.168.1.5"});
}

TEST_F(LoginFlow, WithoutANetworkNameTheLocalAddressIs127000) {
  os.sockets.set_machine("", "");
  login_and_finish();
  EXPECT_EQ(f1().local_ip, "127.0.0.0");
  EXPECT_EQ(f2().Label10.caption(), "127.0.0.0");
  EXPECT_EQ(f2().Label11.caption(), "（外网）");
  EXPECT_NE(log().find("本机的内网IP为：127.0.0.0"), std::string::npos);
}

TEST_F(LoginFlow, PublicAddressOutsideThePrivateRangesIsOuter) {
  os.sockets.set_machine("pc", "172.32.0.1");
  login_and_finish();
  EXPECT_EQ(f2().Label10.caption(), "172.32.0.1");
  EXPECT_EQ(f2().Label11.caption(), "（外网）");
}

TEST_F(LoginFlow, RequestsCarryCredentialsAndOneTokenPerSecond) {
  login_and_finish();
  const auto targets = service.targets();
  ASSERT_EQ(targets.size(), 3u);
  const std::string token = token_of(targets[0]);
  EXPECT_EQ(targets[0], "/ClientComm/log1.asp?u=user1:secret&t=" + token);
  EXPECT_EQ(targets[1], "/list.asp?x=" + token);
  EXPECT_EQ(targets[2], "/ClientComm/log2.asp?u=user1:secret&t=" + token);
  for (char c : token) EXPECT_TRUE(c >= 'a' && c <= 'y') << token;
}

TEST_F(LoginFlow, LaterSecondGivesLaterUrlsAFreshToken) {
  // The verification and notice URLs are built together; the list URL after the reply.
  service.on_request(kLog1, [this] { os.clock.advance(1); });
  login_and_finish();
  const std::string first = token_of(target_of(kLog1));
  EXPECT_EQ(token_of(target_of(kLog2)), first);
  EXPECT_NE(token_of(target_of(kList)), first);
}

TEST_F(LoginFlow, UnusualCredentialsArePercentEncoded) {
  const WorkerId thread = login("a&t=b", "p w%1");
  finish(thread);
  EXPECT_TRUE(starts_with(target_of(kLog1), "/ClientComm/log1.asp?u=a%26t%3Db:p%20w%251&t="));
  EXPECT_EQ(f2().Label2.caption(), "a&t=b");
}

TEST_F(LoginFlow, ThreadUsesTheCredentialsOfTheClick) {
  service.hold(kLog1);
  const WorkerId thread = login("first", "pw");
  ASSERT_TRUE(service.wait_for(kLog1));
  f1().Edit1.paste("changed");
  f1().Edit2.paste("other");
  service.release();
  finish(thread);
  EXPECT_TRUE(starts_with(target_of(kLog1), "/ClientComm/log1.asp?u=first:pw&t="));
  EXPECT_TRUE(starts_with(target_of(kLog2), "/ClientComm/log2.asp?u=first:pw&t="));
}

// The range tables are read at start-up, so they are written before the client starts.
class LoginWithRanges : public LoginTest {
 protected:
  void SetUp() override {
    os.files.put("C:\\Quovix\\route\\CHINANET.dat", "58 0 0 0 58 255 255 255 255 0 0 0");
    os.files.put("C:\\Quovix\\route\\CNC.dat", "58 1 2 3 58 1 2 3 255 255 255 255");
    start_client();
  }
};

TEST_F(LoginWithRanges, ExternalAddressIsLookedUpInTheRangeTables) {
  login_and_finish();
  EXPECT_EQ(f2().Label13.caption(), "中国电信");
  EXPECT_EQ(f1().route_tables.own_network, CHINANET);
  EXPECT_NE(log().find("本机的网络类型为:中国电信"), std::string::npos);
}

TEST_F(LoginFlow, RefusedAccountReEnablesTheButtonWithOneMessage) {
  service.set(kLog1, {200, "201@2430@2430@1@a@b@1@1@1.2.3.4@" + service.base() + "/list.asp@"});
  std::string pane_at_box;
  bool logged_before_box = false;
  ui->on_box = [&](const widgets::RecordedBox&) {
    pane_at_box = f1().RzStatusPane1.caption();
    logged_before_box = log().find("用户名密码错误") != std::string::npos;
  };
  login_and_finish();
  EXPECT_EQ(codes, (Codes{progress::kChoosingServer, progress::kConnecting,
                          progress::kServerAnswered, progress::kAccountRefused}));
  EXPECT_EQ(boxes(), std::vector<std::string>{"用户名和密码错误"});
  EXPECT_EQ(ui->boxes()[0].owner, "Form1");
  EXPECT_EQ(pane_at_box, "用户名密码错误");
  EXPECT_TRUE(logged_before_box);
  EXPECT_EQ(f1().RzStatusPane1.caption(), "用户名密码错误");
  EXPECT_TRUE(f1().RzStatusPane1.blinking());
  EXPECT_TRUE(f1().suiButton1.enabled());
  EXPECT_TRUE(f1().visible());
  EXPECT_FALSE(f2().visible());
  EXPECT_EQ(service.count(kList), 0);
  EXPECT_FALSE(os.files.get("C:\\Quovix\\information.txt"));
}

TEST_F(LoginFlow, EmptyReplyIsARefusal) {
  service.set(kLog1, {200, ""});
  login_and_finish();
  EXPECT_EQ(codes.back(), progress::kAccountRefused);
  EXPECT_EQ(boxes(), std::vector<std::string>{"用户名和密码错误"});
}

TEST_F(LoginFlow, FailedVerificationDownloadEndsTheLogin) {
  f1().verify_server = 3;
  service.set(kLog1, {500, "200@2430@2430@1@x"});  // an error page is no reply
  login_and_finish();
  EXPECT_EQ(codes,
            (Codes{progress::kChoosingServer, progress::kConnecting, progress::kServerFailed}));
  EXPECT_EQ(boxes(), std::vector<std::string>{"连接服务器失败"});
  EXPECT_EQ(f1().RzStatusPane1.caption(), "连接服务器失败");
  EXPECT_NE(log().find("下载验证文件失败"), std::string::npos);
  EXPECT_TRUE(f1().suiButton1.enabled());
  // The choice was stored before the download failed.
  EXPECT_EQ(f1().verify_server, 1);
  EXPECT_EQ(f1().min_version, "");

  // The user simply tries again.
  service.set(kLog1, {200, verification_line("2430", "2430")});
  codes.clear();
  ui->clear_boxes();
  finish(login());
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_TRUE(f2().visible());
}

TEST_F(LoginFlow, MissingNodeListEndsTheLoginButKeepsTheReply) {
  service.set(kList, {404, "gone"});
  login_and_finish();
  EXPECT_EQ(codes, (Codes{progress::kChoosingServer, progress::kConnecting,
                          progress::kServerAnswered, progress::kAccountAccepted,
                          progress::kNodeListLoading, progress::kNodeListFailed}));
  EXPECT_EQ(boxes(), std::vector<std::string>{"更新服务器列表失败"});
  EXPECT_EQ(f1().RzStatusPane1.caption(), "更新服务器列表失败");
  EXPECT_TRUE(f1().suiButton1.enabled());
  EXPECT_EQ(f1().days_left, "31");
  EXPECT_EQ(f1().external_ip, "58.1.2.3");
  EXPECT_EQ(f1().node_count, 0);
  EXPECT_EQ(service.count(kLog2), 0);
}

TEST_F(LoginFlow, SettingsReplyIsFetchedOnlyWhenConfigured) {
  login_and_finish();
  EXPECT_EQ(service.count(kSettings), 0);
  EXPECT_EQ(std::count(codes.begin(), codes.end(), progress::kSettingsLoading), 0);
}

TEST_F(LoginFlow, SettingsReplyReplacesTheListValues) {
  f1().settings_url = service.base() + kSettings + "?v=";
  service.set(kSettings,
              {200,
               "title=新标题 notice=0 nt=公告二 nu=http://n2/ nd=9 count=1.9 新滚动 http://x/"
               " tips=1 tu=http://tips2/ td=3 home=H pay=R svc=C help=E board=M"});
  login_and_finish();
  EXPECT_EQ(codes,
            (Codes{progress::kChoosingServer, progress::kConnecting, progress::kServerAnswered,
                   progress::kAccountAccepted, progress::kNodeListLoading,
                   progress::kNodeListLoaded, progress::kSettingsLoading, progress::kLoggedIn}));
  EXPECT_EQ(token_of(target_of(kSettings)), token_of(target_of(kLog1)));
  EXPECT_EQ(f2().caption(), "新标题");
  EXPECT_EQ(f2().Label23.caption(), "新滚动");
  EXPECT_EQ(f1().ticker_count, 1);
  EXPECT_FALSE(f2().Timer1.enabled());
  EXPECT_TRUE(f2().Timer2.enabled());
  EXPECT_EQ(f1().page_urls[kNavigationPage], "n");  // navigation stays from the node list
  EXPECT_EQ(f1().page_urls[kHelpPage], "E");
  EXPECT_NE(log().find("正在更新软件设置"), std::string::npos);
}

TEST_F(LoginFlow, FailedSettingsDownloadIsSilent) {
  f1().settings_url = service.base() + "/nowhere?";
  login_and_finish();
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(f1().notice_text, "公告");
  EXPECT_EQ(f2().caption(), project_title());
}

TEST_F(LoginFlow, UnknownLevelLeavesTheLabelAlone) {
  service.set(kLog1, {200, verification_line("2430", "2430", "5")});
  f2().Label4.set_caption("before");
  login_and_finish();
  EXPECT_EQ(f2().Label4.caption(), "before");
  EXPECT_EQ(f1().user_level, "5");
}

TEST_F(LoginFlow, RememberedChoicesAreRestored) {
  service.set(kList, {200, node_list(3)});
  f1().remember_choices = 1;
  f1().node_choice = 2;
  f1().network_mode = 1;
  f1().relay_mode = 1;
  login_and_finish();
  EXPECT_EQ(f2().suiComboBox1.item_index(), 2);
  EXPECT_EQ(f2().Label15.caption(), "Shanghai");
  EXPECT_EQ(f2().suiComboBox2.item_index(), 1);
  EXPECT_EQ(f2().Label17.caption(), "内网模式");
  EXPECT_EQ(f2().suiComboBox3.item_index(), 1);
  EXPECT_EQ(f2().Label19.caption(), "完全中转");
  EXPECT_EQ(f1().node_choice, 2);
}

TEST_F(LoginFlow, RememberedIndexOutsideTheBoxFallsBackToTheFirstItem) {
  f1().remember_choices = 1;
  f1().node_choice = 7;
  f1().network_mode = -3;
  f1().relay_mode = 1;
  login_and_finish();
  EXPECT_EQ(f2().suiComboBox1.item_index(), 0);
  EXPECT_EQ(f2().Label15.caption(), "自动选择");
  EXPECT_EQ(f1().node_choice, 0);
  EXPECT_EQ(f2().Label17.caption(), "外网模式");
  EXPECT_EQ(f1().network_mode, 0);
  EXPECT_EQ(f2().Label19.caption(), "完全中转");
}

// What the boxes show is what a dial uses, so the record follows them.
TEST_F(LoginFlow, WithoutTheOptionTheRecordFollowsTheBoxes) {
  f1().node_choice = 2;
  f1().network_mode = 1;
  f1().relay_mode = 1;
  login_and_finish();
  EXPECT_EQ(f2().suiComboBox1.item_index(), 0);
  EXPECT_EQ(f2().suiComboBox2.item_index(), 0);
  EXPECT_EQ(f2().suiComboBox3.item_index(), 0);
  EXPECT_EQ(f1().node_choice, 0);
  EXPECT_EQ(f1().network_mode, 0);
  EXPECT_EQ(f1().relay_mode, 0);
}

TEST_F(LoginFlow, EnterDuringALoginStartsNothing) {
  service.hold(kLog1);
  const WorkerId first = login();
  ASSERT_NE(first, 0u);
  service.wait_for(kLog1);
  f1().Edit2.type_key('\r');
  ASSERT_NE(app->login_thread, nullptr);
  EXPECT_EQ(app->login_thread->id(), first);
  service.release();
  finish(first);
  EXPECT_EQ(service.count(kLog1), 1);
  EXPECT_EQ(f2().suiComboBox1.items().size(), 3u);
}

TEST_F(LoginFlow, AutoConnectClicksTheConnectButton) {
  int clicks = 0;
  bool shown_at_click = false;
  f2().suiButton2.on_click = [&] {
    ++clicks;
    shown_at_click = f2().visible() && !f1().visible();
  };
  f1().auto_connect = 1;
  login_and_finish();
  EXPECT_EQ(clicks, 1);
  EXPECT_TRUE(shown_at_click);
}

TEST_F(LoginFlow, NoConnectClickWithoutAutoConnect) {
  int clicks = 0;
  f2().suiButton2.on_click = [&] { ++clicks; };
  login_and_finish();
  EXPECT_EQ(clicks, 0);
}

TEST_F(LoginFlow, FullNodeListFillsTheBoxWith50Items) {
  std::string text = "0 0 49";
  for (int n = 1; n <= 49; ++n) text += " 10.0.0." + std::to_string(n) + "@N" + std::to_string(n);
  service.set(kList, {200, text + " 0 a b 1 1 t u 0 x 1 a b c d e f 0"});
  login_and_finish();
  ASSERT_EQ(f2().suiComboBox1.items().size(), 50u);
  EXPECT_EQ(f2().suiComboBox1.items()[49], "N49");
  EXPECT_FALSE(f2().Timer1.enabled());
}

// The process must end soon after its last window, whatever the login thread waits for, and
// release the mutex as it ends, so the next start is not taken for a second copy.
TEST_F(LoginFlow, ClosingDuringAHeldDownloadEndsAtOnceAndTheNextStartWorks) {
  f1().verify_server = 4;  // the thread chooses a server and records it, as the exit saves it
  service.hold(kLog1);
  ASSERT_NE(login(), 0u);
  ASSERT_TRUE(service.wait_for(kLog1));
  f1().close();
  EXPECT_TRUE(ui->quit_requested());
  EXPECT_NE(log().find("成功退出"), std::string::npos);
  const auto closed = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point ended;
  os.process.on_exit = [&] { ended = std::chrono::steady_clock::now(); };
  end_process(std::move(app));
  ASSERT_EQ(os.process.exits(), 1);
  EXPECT_LT(ended - closed, kWorkerGrace);
  ASSERT_TRUE(start());
  EXPECT_TRUE(boxes().empty());
}

// A worker that does not end in time ends with the process, but the tray icon does not stay
// behind it: it goes before the wait.
TEST_F(LoginFlow, WorkerStuckInAnEchoEndsWithTheProcessAfterTheTrayIcon) {
  os.icmp.take_real_time();
  os.icmp.lose("127.0.0.1");  // the last server's echo waits out its 2.5 s
  ASSERT_NE(login(), 0u);
  ASSERT_TRUE(ui->pump_until([&] { return os.icmp.total_probes() > 0; }));
  f1().close();
  const auto closed = std::chrono::steady_clock::now();
  std::chrono::steady_clock::time_point ended;
  bool icon_gone_at_end = false;
  os.process.on_exit = [&] {
    ended = std::chrono::steady_clock::now();
    icon_gone_at_end = ui->is_shut_down();
  };
  // Halfway through the grace the icon must be gone already, not only once it has run out.
  bool icon_gone_in_grace = false;
  std::thread sampler([&, ui = ui.get()] {
    std::this_thread::sleep_for(kWorkerGrace / 2);
    icon_gone_in_grace = ui->is_shut_down();
  });
  end_process(std::move(app));
  sampler.join();
  ASSERT_EQ(os.process.terminations(), 1);
  EXPECT_EQ(os.process.exits(), 0);
  EXPECT_TRUE(icon_gone_in_grace);
  EXPECT_TRUE(icon_gone_at_end);
  EXPECT_GE(ended - closed, kWorkerGrace);
}

TEST_F(LoginFlow, LoginThatThrowsEndsAsAFailedLogin) {
  os.downloader.throw_next();
  login_and_finish();
  EXPECT_EQ(boxes(), std::vector<std::string>{"程序异常：simulated download fault"});
  EXPECT_NE(log().find("程序异常：simulated download fault"), std::string::npos);
  EXPECT_TRUE(f1().suiButton1.enabled());
  EXPECT_EQ(f1().RzStatusPane1.caption(), "登陆失败");
  // The user simply tries again.
  ui->clear_boxes();
  finish(login());
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_TRUE(boxes().empty());
}

}  // namespace
}  // namespace qvx::testing
