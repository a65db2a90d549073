// Partial relay against the simulated routing table of both Windows generations: a LAN with
// its default route through 192.168.1.1 and a tunnel whose default route it must lose to.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>

#include "platform/sim/sim_platform.h"
#include "routing/route.h"

namespace qvx {
namespace {

using platform::ForwardRow;
using sim::WindowsProfile;
using Op = sim::SimIpHelper::Op;

constexpr char kDir[] = "C:\\Quovix\\";
constexpr std::uint32_t kLan = 2;

bool same_row(const ForwardRow& a, const ForwardRow& b) {
  return a.dest == b.dest && a.mask == b.mask && a.next_hop == b.next_hop &&
         a.if_index == b.if_index && a.type == b.type && a.proto == b.proto &&
         a.metric1 == b.metric1 && a.metric2 == b.metric2 && a.metric5 == b.metric5;
}

bool same_table(const std::vector<ForwardRow>& a, const std::vector<ForwardRow>& b) {
  return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), same_row);
}

class PartialRelayTest : public ::testing::Test {
 protected:
  PartialRelayTest()
      : root_(std::filesystem::temp_directory_path() /
              ("qvx-relay-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        os_(root_),
        tables_(os_.platform()) {
    tables_.log = [this](const std::string& line) { log_.push_back(line); };
    put("CHINANET.dat", "58 0 0 0 58 255 255 255 255 0 0 0");
    put("CNC.dat", "60 0 0 0 60 255 255 255 255 0 0 0\n61 128 0 0 61 255 255 255 255 128 0 0");
    put("CERNET.dat", "202 0 0 0 202 0 255 255 255 255 0 0");
    tables_.load(kDir);
    tables_.identify_network("58.1.2.3");
  }
  ~PartialRelayTest() override { std::filesystem::remove_all(root_); }

  void put(const char* file, const std::string& text) {
    os_.files.put(std::string(kDir) + "route\\" + file, text);
  }
  static ForwardRow default_route(std::uint32_t if_index, const char* next_hop,
                                  std::uint32_t metric) {
    ForwardRow r;
    r.next_hop = sim::ipv4(next_hop);
    r.if_index = if_index;
    r.type = 4;
    r.proto = 3;
    r.metric1 = metric;
    r.metric2 = r.metric3 = r.metric4 = r.metric5 = 0xFFFFFFFFu;
    return r;
  }
  // The machine as Windows shows it once the tunnel is up.
  void machine(WindowsProfile profile, std::uint32_t tunnel, std::uint32_t tunnel_metric) {
    os_.ip_helper.set_profile(profile);
    const bool vista = profile == WindowsProfile::VistaAndLater;
    os_.ip_helper.add_adapter({kLan, {"192.168.1.5"}, {"192.168.1.1"}}, vista ? 10 : 0);
    os_.ip_helper.add_route(default_route(kLan, "192.168.1.1", vista ? 25 : 20));
    os_.ip_helper.add_adapter(
        {tunnel, {"10.8.0.2"}, {vista ? "0.0.0.0" : "10.8.0.1"}, platform::kIfTypePpp},
        tunnel_metric);
    os_.ip_helper.add_route(
        default_route(tunnel, vista ? "0.0.0.0" : "10.8.0.1", vista ? tunnel_metric : 1));
  }
  std::vector<ForwardRow> routes_on(std::uint32_t if_index, bool defaults) const {
    std::vector<ForwardRow> out;
    for (const auto& r : os_.ip_helper.routes()) {
      if (r.if_index == if_index && (r.dest == 0) == defaults) out.push_back(r);
    }
    return out;
  }
  int logged(const std::string& line) const {
    return static_cast<int>(std::count(log_.begin(), log_.end(), line));
  }

  std::filesystem::path root_;
  sim::SimPlatform os_;
  route tables_;
  std::vector<std::string> log_;
};

TEST_F(PartialRelayTest, VistaRoutesAboveTheInterfaceMetricAndRestoresTheRowsAsFound) {
  machine(WindowsProfile::VistaAndLater, 23, 50);
  const auto before = os_.ip_helper.routes();
  tables_.apply_partial_relay("10.8.0.2", 23, kLan);

  const auto ranges = routes_on(23, false);
  ASSERT_EQ(ranges.size(), 3u) << "the CNC and CERNET rows";
  EXPECT_EQ(sim::address_to_dotted(ranges[0].dest), "60.0.0.0");
  EXPECT_EQ(sim::address_to_dotted(ranges[1].mask), "255.128.0.0");
  EXPECT_EQ(sim::address_to_dotted(ranges[2].dest), "202.0.0.0");
  for (const auto& r : ranges) {
    EXPECT_EQ(r.metric1, 51u) << "one above the tunnel's interface metric";
    EXPECT_EQ(r.next_hop, 0u) << "the tunnel's default route is on-link";
    EXPECT_EQ(r.type, 4u);
    EXPECT_EQ(r.proto, 3u);
    EXPECT_EQ(r.metric2, 0xFFFFFFFFu);
  }
  EXPECT_EQ(routes_on(23, true).at(0).metric1, 150u);
  EXPECT_EQ(routes_on(kLan, true).at(0).metric1, 25u);
  EXPECT_EQ(logged("部分中转已生效：3/3条路由经加速连接，加速连接默认路由跃点数为150"), 1);

  os_.ip_helper.clear_rows();
  tables_.restore_routes();
  const auto set = os_.ip_helper.set_rows();
  ASSERT_EQ(set.size(), 2u);
  EXPECT_EQ(sim::address_to_dotted(set[1].next_hop), "192.168.1.1") << "the LAN row as it is";
  EXPECT_TRUE(same_row(routes_on(23, true).at(0), before[1]));
  EXPECT_TRUE(same_row(routes_on(kLan, true).at(0), before[0]));
  EXPECT_EQ(log_.size(), 1u) << "both rows accepted";
}

TEST_F(PartialRelayTest, XpModelKeepsMetricOneAndTheGatewayAsNextHop) {
  machine(WindowsProfile::XpLike, 65539, 0);
  tables_.apply_partial_relay("10.8.0.1", 65539, kLan);
  const auto ranges = routes_on(65539, false);
  ASSERT_EQ(ranges.size(), 3u);
  EXPECT_EQ(ranges[0].metric1, 1u);
  EXPECT_EQ(sim::address_to_dotted(ranges[0].next_hop), "10.8.0.1");
  EXPECT_EQ(routes_on(65539, true).at(0).metric1, 100u);
  tables_.restore_routes();
  EXPECT_EQ(routes_on(65539, true).at(0).metric1, 1u);
  EXPECT_EQ(routes_on(kLan, true).at(0).metric1, 20u) << "not 100: the LAN keeps its own";
}

TEST_F(PartialRelayTest, RefusedRouteIsLoggedOnceAndTheOutcomeIsReadFromTheTable) {
  machine(WindowsProfile::VistaAndLater, 23, 50);
  os_.ip_helper.fail_next(Op::Create, 5, 1, 1);  // the second range: access denied
  tables_.apply_partial_relay("10.8.0.2", 23, kLan);
  EXPECT_EQ(logged("路由被拒绝：61.128.0.0/255.128.0.0，跃点数51，错误编号：5"), 1);
  EXPECT_EQ(logged("部分中转已生效：2/3条路由经加速连接，加速连接默认路由跃点数为150"), 1);
  EXPECT_EQ(routes_on(23, false).size(), 2u);
}

TEST_F(PartialRelayTest, HighInterfaceMetricAndLargeTableStillWork) {
  machine(WindowsProfile::VistaAndLater, 23, 9999);
  for (std::uint32_t i = 0; i < 5000; ++i) {
    ForwardRow host = default_route(kLan, "192.168.1.1", 30);
    host.dest = 0x0A000000u | i << 8 | 0x0B;  // 11.x.y.10, one host route each
    host.mask = 0xFFFFFFFFu;
    os_.ip_helper.add_route(host);
  }
  const auto before = os_.ip_helper.routes();
  tables_.apply_partial_relay("10.8.0.2", 23, kLan);
  for (const auto& r : routes_on(23, false)) EXPECT_EQ(r.metric1, 10000u);
  EXPECT_EQ(logged("部分中转已生效：3/3条路由经加速连接，加速连接默认路由跃点数为10099"), 1);
  tables_.restore_routes();
  const auto after = os_.ip_helper.routes();
  EXPECT_TRUE(same_table(std::vector<ForwardRow>(after.begin(), after.begin() + 5002),
                         std::vector<ForwardRow>(before.begin(), before.end())));
}

TEST_F(PartialRelayTest, TableIsLeftAsFoundWhenPartialRelayCannotBeDone) {
  machine(WindowsProfile::VistaAndLater, 23, 50);
  const auto before = os_.ip_helper.routes();
  struct Case {
    const char* what;
    std::function<void()> arrange;
    int tunnel;
    const char* line;
  };
  const Case cases[] = {
      {"no tunnel found", [] {}, 0, nullptr},
      {"table unreadable", [&] { os_.ip_helper.fail_next(Op::Table, 122); }, 23,
       "部分中转未生效：读取路由表失败，错误编号：122"},
      {"tunnel without default route", [] {}, 24, "部分中转未生效：路由表中没有加速连接的默认路由"},
      {"tunnel default refused", [&] { os_.ip_helper.fail_next(Op::Set, 87); }, 23,
       "部分中转未生效：已撤销添加的路由"},
      // Every range would be refused while the tunnel's default still lost: no half relay.
      {"interface metric unreadable", [&] { os_.ip_helper.fail_next(Op::Metric, 1168); }, 23,
       "部分中转未生效：读取加速连接接口跃点数失败，错误编号：1168，保持完全中转"},
  };
  for (const Case& c : cases) {
    log_.clear();
    c.arrange();
    tables_.apply_partial_relay(c.tunnel ? "10.8.0.2" : "", c.tunnel, kLan);
    EXPECT_TRUE(same_table(os_.ip_helper.routes(), before)) << c.what;
    if (c.line) {
      EXPECT_EQ(logged(c.line), 1) << c.what;
    }
    os_.ip_helper.clear_rows();
    tables_.restore_routes();
    EXPECT_TRUE(os_.ip_helper.set_rows().empty()) << c.what << ": nothing to put back";
  }
}

TEST_F(PartialRelayTest, UnknownNetworkOnlyLowersTheTunnelAndDamagedRowsAreSkipped) {
  machine(WindowsProfile::VistaAndLater, 23, 50);
  tables_.identify_network("8.8.8.8");
  tables_.apply_partial_relay("10.8.0.2", 23, kLan);
  EXPECT_TRUE(os_.ip_helper.created().empty());
  EXPECT_EQ(routes_on(23, true).at(0).metric1, 150u);
  tables_.restore_routes();

  put("CNC.dat", "300 0 0 0 300 0 0 0 255 0 0 0\n60 0 0 0 60 255 255 255 255 0 0 0");
  put("CERNET.dat", "");
  tables_.load(kDir);
  tables_.identify_network("58.1.2.3");
  tables_.apply_partial_relay("10.8.0.2", 23, kLan);
  EXPECT_EQ(os_.ip_helper.created().size(), 1u);
}

// A machine whose SetIpForwardEntry answers NO_ERROR and keeps the old metric: the change is read
// back and made the documented other ways, each named in the log.
TEST_F(PartialRelayTest, IgnoredMetricIsSetWithSetIpForwardEntry2OnVista) {
  machine(WindowsProfile::VistaAndLater, 23, 50);
  os_.ip_helper.ignore_set_metric(true);
  tables_.apply_partial_relay("10.8.0.2", 23, kLan);
  EXPECT_EQ(logged("默认路由跃点数未被修改（接口23，跃点数150），改用SetIpForwardEntry2"), 1);
  EXPECT_EQ(logged("已用SetIpForwardEntry2修改默认路由：接口23，跃点数150"), 1);
  EXPECT_EQ(logged("部分中转已生效：3/3条路由经加速连接，加速连接默认路由跃点数为150"), 1);
  EXPECT_EQ(routes_on(23, false).size(), 3u);
  tables_.restore_routes();
  EXPECT_EQ(routes_on(23, true).at(0).metric1, 50u);
  EXPECT_EQ(routes_on(kLan, true).at(0).metric1, 25u);
  EXPECT_EQ(logged("已用SetIpForwardEntry2修改默认路由：接口23，跃点数50"), 1);
}

TEST_F(PartialRelayTest, IgnoredMetricWithoutSetIpForwardEntry2ReplacesTheRow) {
  machine(WindowsProfile::XpLike, 65539, 0);
  os_.ip_helper.ignore_set_metric(true);
  tables_.apply_partial_relay("10.8.0.1", 65539, kLan);
  EXPECT_EQ(logged("SetIpForwardEntry2失败，错误编号：127，改为删除后重建默认路由"), 1);
  EXPECT_EQ(logged("已删除并重建默认路由：接口65539，跃点数100"), 1);
  EXPECT_EQ(routes_on(65539, true).size(), 1u);
  EXPECT_EQ(routes_on(65539, true).at(0).metric1, 100u);
  EXPECT_EQ(routes_on(65539, false).size(), 3u);
  tables_.restore_routes();
  ASSERT_EQ(routes_on(65539, true).size(), 1u);
  EXPECT_EQ(routes_on(65539, true).at(0).metric1, 1u);
  EXPECT_EQ(routes_on(kLan, true).at(0).metric1, 20u);
}

TEST_F(PartialRelayTest, RefusedRecreationPutsTheTunnelDefaultBack) {
  machine(WindowsProfile::VistaAndLater, 23, 50);
  const auto before = os_.ip_helper.routes();
  os_.ip_helper.ignore_set_metric(true);
  os_.ip_helper.fail_next(Op::RouteMetric2, 1168);
  os_.ip_helper.fail_next(Op::Create, 5, 1, 3);  // after the three ranges: the new default
  tables_.apply_partial_relay("10.8.0.2", 23, kLan);
  EXPECT_EQ(logged("重建默认路由失败，错误编号：5，恢复原默认路由"), 1);
  EXPECT_EQ(logged("部分中转未生效：已撤销添加的路由"), 1);
  EXPECT_TRUE(same_table(os_.ip_helper.routes(), {before[0], before[1]}) ||
              same_table(os_.ip_helper.routes(), {before[1], before[0]}))
      << "the tunnel keeps its default route as it was";
}

}  // namespace
}  // namespace qvx
