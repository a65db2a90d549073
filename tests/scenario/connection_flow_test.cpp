#include "connection_fixture.h"
#include "status/md5.h"

namespace qvx::testing {
namespace {

using ConnectionFlowTest = ConnectionTest;

TEST_F(ConnectionFlowTest, ChosenNodeIsDialledWithoutProbesAndConnects) {
  f1().relay_mode = 1;
  connect();
  EXPECT_TRUE(connected());
  EXPECT_EQ(os.icmp.total_probes(), 0);
  const auto dials = os.ras.calls_of(Call::Dial);
  ASSERT_EQ(dials.size(), 1u);
  EXPECT_EQ(dials[0].user, "user1");
  EXPECT_EQ(dials[0].password, md5_hex("secret").substr(0, 25));
  EXPECT_EQ(dials[0].name.rfind("Quovix加速", 0), 0u);
  EXPECT_NE(f1().ras_connection, 0u);
  EXPECT_TRUE(f2().Timer3.enabled());
  EXPECT_TRUE(f2().Timer4.enabled());
  EXPECT_TRUE(f1().N4.enabled());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 已连接");
  EXPECT_EQ(f1().RzTrayIcon1.balloon_title(), "亲爱的 user1：");
  EXPECT_NE(f1().RzTrayIcon1.balloon_text().find("祝您上网愉快"), std::string::npos);
  EXPECT_EQ(log().find("连接方式为：部分中转"), std::string::npos)
      << "full relay logs no route line";
  EXPECT_TRUE(os.ip_helper.created().empty());
  EXPECT_TRUE(os.ip_helper.set_rows().empty());
}

TEST_F(ConnectionFlowTest, ExternalModeDialsPptpAndInternalModeL2tp) {
  f1().relay_mode = 1;
  const struct {
    int item;
    std::uint32_t strategy;
    const char* line;
  } modes[] = {{1, 3, "网络模式为：内网模式"}, {0, 1, "网络模式为：外网模式"}};
  for (const auto& mode : modes) {
    f2().suiComboBox2.user_select(mode.item);
    os.ras.clear_calls();
    const std::size_t logged = log().size();
    connect();
    ASSERT_TRUE(connected()) << mode.item;
    const auto entries = os.ras.calls_of(Call::SetEntry);
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].entry.vpn_strategy, mode.strategy) << mode.line;
    EXPECT_NE(log().find(mode.line, logged), std::string::npos);
    hang_up();
  }
}

TEST_F(ConnectionFlowTest, AutomaticChoiceProbesEveryNodeTwiceAndSelectsTheBest) {
  f1().node_count = 3;
  f1().node_names[3] = "广州节点";
  f1().node_addresses[3] = "127.0.0.4";
  f2().suiComboBox1.add_item("广州节点");
  f2().suiComboBox1.set_item_index(0);
  os.icmp.set_round_trip("127.0.0.2", 50);
  os.icmp.set_round_trip("127.0.0.3", 20);
  os.icmp.set_round_trip("127.0.0.4", 30);
  f1().days_left = "5";
  connect();
  EXPECT_EQ(os.icmp.total_probes(), 6);
  EXPECT_EQ(f2().suiComboBox1.item_index(), 2);
  EXPECT_EQ(f1().node_choice, 2);
  EXPECT_TRUE(connected());
  EXPECT_NE(log().find("自动判断加速节点为：上海节点"), std::string::npos);
  EXPECT_NE(f1().RzTrayIcon1.balloon_text().find("友情提示"), std::string::npos);
}

TEST_F(ConnectionFlowTest, EachDialErrorHasItsOwnMessageAndReturnsToIdle) {
  const std::vector<std::pair<std::uint32_t, std::string>> cases = {
      {691, "该账号正在被使用！"},
      {711,
       "建立加速连接初始化错误，如果您是第一次选择内网模式，请尝试重新启动网络连接或重新启动机器"
       "。"},
      {633, "加速连接初始化失败，请重新连接。若问题依然存在，请尝试重新启动机器。"},
      {678,
       "网络原因，无法与加速服务器连接,"
       "请尝试重新连接。若问题依然存在，请尝试更换加速节点或者网络模式。"},
      {632, "错误编号：632，请尝试重新连接，或者联系我们"}};
  for (const auto& [code, message] : cases) {
    ui->clear_boxes();
    os.ras.fail_next(code == 632 ? Call::SetEntry : Call::Dial, code);
    connect();
    EXPECT_EQ(boxes(), std::vector<std::string>{message}) << code;
    EXPECT_TRUE(idle()) << code;
    EXPECT_TRUE(f2().suiComboBox1.enabled() && f2().suiComboBox2.enabled() &&
                f2().suiComboBox3.enabled());
    EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 未连接");
    EXPECT_TRUE(os.ras.entry_names().empty()) << code;
  }
  const std::string text = log();
  const auto a = text.find("网络原因，无法与加速服务器连接.");
  EXPECT_NE(text.find("建立加速连接失败.错误编号：678，请尝试重新连接.", a), std::string::npos);
  EXPECT_NE(text.find("建立加速连接失败.错误编号：632，请尝试重新连接，或者联系我们"),
            std::string::npos);
  EXPECT_NE(text.find("网络连接711错误"), std::string::npos);
}

TEST_F(ConnectionFlowTest, NodeOutsideTheListIsRefused) {
  f1().node_count = 1;  // the box still offers node 2
  f2().suiComboBox1.set_item_index(2);
  connect();
  EXPECT_EQ(boxes(), std::vector<std::string>{"所选加速节点无效，请重新选择。"});
  EXPECT_TRUE(idle());
  EXPECT_TRUE(os.ras.calls_of(Call::Dial).empty());
}

TEST_F(ConnectionFlowTest, PartialRelayRoutesForeignNetworksAndHangUpRestoresFirst) {
  set_route_tables();
  connect();
  ASSERT_TRUE(connected());
  const auto created = os.ip_helper.created();
  EXPECT_EQ(created.size(), 3u) << "the CNC and CERNET rows, not the own network's";
  const auto applied = os.ip_helper.set_rows();
  ASSERT_EQ(applied.size(), 1u);
  EXPECT_EQ(applied[0].metric1, 150u) << "the tunnel's interface metric 50 plus 100";
  EXPECT_EQ(applied[0].if_index, 23u) << "found by its address, not by a high index";
  EXPECT_NE(log().find("获得加速服务器网关为：10.8.0.2"), std::string::npos);
  EXPECT_NE(log().find("部分中转已生效：3/3条路由"), std::string::npos);

  hang_up();
  EXPECT_TRUE(idle());
  const auto restored = os.ip_helper.set_rows();
  ASSERT_EQ(restored.size(), 3u);
  EXPECT_EQ(restored[1].metric1, 50u);
  EXPECT_EQ(restored[2].if_index, 2u);
  EXPECT_EQ(restored[2].metric1, 25u);
  EXPECT_EQ(restored[2].next_hop, lan_default_route().next_hop);
  EXPECT_TRUE(os.ras.entry_names().empty());
  EXPECT_EQ(f1().ras_connection, 0u);
  const std::string text = log();
  EXPECT_LT(text.find("挂断前正在改回路由表"), text.find("成功挂断连接"));
}

TEST_F(ConnectionFlowTest, RefusedHangUpKeepsConnectedAndRetriesTheSameHandle) {
  f1().relay_mode = 1;
  connect();
  const auto handle = f1().ras_connection;
  os.ras.fail_next(Call::HangUp, 668);
  hang_up();
  EXPECT_EQ(boxes(), std::vector<std::string>{"挂断错误"});
  EXPECT_TRUE(connected());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 已连接");
  EXPECT_FALSE(f2().Timer3.enabled());
  EXPECT_EQ(f1().ras_connection, handle);
  hang_up();
  EXPECT_TRUE(idle());
  EXPECT_EQ(f1().ras_connection, 0u);
}

TEST_F(ConnectionFlowTest, MonitorTellsAHiccupFromADrop) {
  f1().relay_mode = 1;
  connect();
  const auto handle = f1().ras_connection;
  ui->advance(5000);  // a look that finds the link up shows the counters
  const std::string shown = f2().Label27.caption();
  ASSERT_NE(shown, "0 K");
  const std::size_t queries = os.ras.calls_of(Call::Statistics).size();
  os.ras.fail_next(Call::ConnectStatus, 6);  // down once, back 6 s later
  ui->advance(5000);
  EXPECT_TRUE(f2().SecondLook.enabled());
  EXPECT_EQ(os.ras.calls_of(Call::Statistics).size(), queries)
      << "no counters while the link is in doubt";
  EXPECT_EQ(f2().Label27.caption(), shown);
  ui->advance(6000);
  EXPECT_TRUE(connected());
  EXPECT_TRUE(f2().Timer4.enabled()) << "watched again after a hiccup";
  EXPECT_FALSE(f2().SecondLook.enabled());
  EXPECT_EQ(os.ras.calls_of(Call::Statistics).size(), queries + 1);
  EXPECT_NE(f2().Label27.caption(), shown);

  // A connection of ours that an earlier run left behind goes with the clean-up.
  os.ras.add_connection("Quovix加速77");
  const std::string sent = f2().Label26.caption(), received = f2().Label27.caption();
  const std::string log_before = log();
  unsigned long long box_at = 0;
  ui->on_box = [&](const widgets::RecordedBox&) { box_at = ui->now_ms(); };
  os.ras.clear_calls();
  const unsigned long long before = ui->now_ms();
  os.ras.drop(handle);
  ui->advance(5000 + 6000);
  EXPECT_EQ(boxes(), std::vector<std::string>{"网络原因，异常中断"});
  const auto looks = os.ras.calls_of(Call::ConnectStatus);
  EXPECT_EQ(
      std::count_if(looks.begin(), looks.end(), [&](const auto& c) { return c.handle == handle; }),
      2)
      << "the clean-up's waits ask about the other connection only";
  EXPECT_EQ(box_at, before + 5000 + 6000) << "the second look comes six seconds after the first";
  EXPECT_TRUE(idle());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 已断开");
  EXPECT_FALSE(f2().Timer3.enabled());
  EXPECT_FALSE(f2().Timer4.enabled());
  EXPECT_FALSE(f1().N4.enabled());
  EXPECT_TRUE(f1().N5.enabled());
  EXPECT_TRUE(os.ras.entry_names().empty());
  EXPECT_TRUE(os.ras.connection_list().empty());
  EXPECT_EQ(f2().Label26.caption(), sent);
  EXPECT_EQ(f2().Label27.caption(), received);
  EXPECT_EQ(log(), log_before) << "a drop is not logged";
}

// Between the two looks the windows keep working: the clock goes on, and a hang-up calls the
// second look off, so no drop is reported for a link the user has just ended.
TEST_F(ConnectionFlowTest, TheWindowsRespondBetweenTheTwoLooksAndAHangUpCallsTheSecondOff) {
  f1().relay_mode = 1;
  connect();
  os.ras.fail_next(Call::ConnectStatus, 6);  // the link seems down at the first look
  ui->advance(5000);
  ASSERT_TRUE(f2().SecondLook.enabled());
  const int seconds = f1().conn_seconds;
  ui->advance(3000);
  EXPECT_EQ(f1().conn_seconds, seconds + 3) << "the clock stood still between the looks";
  f2().suiButton2.click();  // 挂断
  ASSERT_TRUE(ui->pump_until([&] { return app->hangup_thread == nullptr; }));
  ui->pump();
  EXPECT_FALSE(f2().SecondLook.enabled());
  ui->advance(10000);
  EXPECT_TRUE(boxes().empty());
  EXPECT_TRUE(idle());
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接状态： 未连接");
}

TEST_F(ConnectionFlowTest, AnExitBetweenTheTwoLooksCallsTheSecondOff) {
  f1().relay_mode = 1;
  connect();
  os.ras.drop(f1().ras_connection);
  ui->advance(5000);
  ASSERT_TRUE(f2().SecondLook.enabled());
  f1().no_exit_prompt = 1;
  f2().title_button(widgets::TitleButton::Close);  // the exit step, as the user asks for it
  EXPECT_TRUE(f1().is_closed());
  EXPECT_FALSE(f2().SecondLook.enabled());
  ui->advance(10000);
  EXPECT_TRUE(boxes().empty());
  EXPECT_EQ(last_log_line(), "成功退出");
}

TEST_F(ConnectionFlowTest, TrafficIsShownInWholeUnits) {
  f1().relay_mode = 1;
  connect();
  const std::vector<std::pair<std::uint32_t, std::string>> cases = {{1023, "0 K"},
                                                                    {1047552, "1023 K"},
                                                                    {1048576, "1 M"},
                                                                    {1073741823, "1023 M"},
                                                                    {1073741824, "1 G"}};
  for (const auto& [bytes, shown] : cases) {
    os.ras.received_per_query = 0;
    os.ras.sent_per_query = 0;
    os.ras.set_counters(f1().ras_connection, bytes, bytes);
    ui->advance(5000);
    EXPECT_EQ(f2().Label26.caption(), shown) << bytes;
    EXPECT_EQ(f2().Label27.caption(), shown) << bytes;
  }
}

TEST_F(ConnectionFlowTest, ClockCountsWithoutLeadingZerosAndRestartsOnConnect) {
  f1().relay_mode = 1;
  connect();
  ui->advance(1000);
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接时间： 0:0:1");
  f1().conn_minutes = 59;
  f1().conn_seconds = 58;
  ui->advance(1000);
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接时间： 0:59:59");
  ui->advance(1000);
  EXPECT_EQ(f2().RzStatusPane1.caption(), "连接时间： 1:0:0");
}

TEST_F(ConnectionFlowTest, NoticeAndTipsCountdownsTickAsConfigured) {
  f1().notice_delay = 3;
  f1().notice_text = std::string(100, 'x');
  f1().tips_delay = 20;
  f1().tips_url = "http://127.0.0.1/tips";
  f2().Timer1.set_enabled(true);
  f2().Timer2.set_enabled(true);
  ui->advance(4000);
  EXPECT_FALSE(app->Form3->visible());
  ui->advance(1000);
  EXPECT_TRUE(app->Form3->visible());
  EXPECT_EQ(app->Form3->Label1.caption(), "    " + std::string(76, 'x') + "...");
  ui->advance(5000);
  EXPECT_EQ(app->Form4->CppWebBrowser1.location(), "http://127.0.0.1/tips");
  EXPECT_FALSE(app->Form4->visible());
  ui->advance(11000);
  EXPECT_FALSE(app->Form4->visible());
  ui->advance(1000);
  EXPECT_TRUE(app->Form4->visible());
  EXPECT_TRUE(f1().N6.enabled());
}

TEST_F(ConnectionFlowTest, TickerRotatesAndAnEmptyTickerLeavesTheLabel) {
  f1().ticker_count = 2;
  f1().ticker_texts[0] = "一";
  f1().ticker_texts[1] = "二";
  f2().Timer5.set_enabled(true);
  ui->advance(25000);
  EXPECT_EQ(f2().Label23.caption(), "二");
  ui->advance(25000);
  EXPECT_EQ(f2().Label23.caption(), "一");
  f1().ticker_count = 0;
  ui->advance(25000);
  EXPECT_EQ(f2().Label23.caption(), "一");
}

}  // namespace
}  // namespace qvx::testing
