// The LAN on common machines: the address the login shows and the interface partial relay
// lets win are the best default route's, whatever adapter the host name's address is on.
#include "connection_fixture.h"
#include "login_fixture.h"
#include "machines.h"

namespace qvx::testing {
namespace {

using Op = sim::SimIpHelper::Op;

std::string machine_name(const ::testing::TestParamInfo<Machine>& info) {
  return info.param.profile;
}

class LanAtLogin : public LoginTest, public ::testing::WithParamInterface<Machine> {
 protected:
  void SetUp() override {
    build_machine(os, GetParam());
    start_client();
  }
};

TEST_P(LanAtLogin, StatusWindowShowsTheLanAddress) {
  login_and_finish();
  EXPECT_EQ(f1().local_ip, kMachineLanAddress);
  EXPECT_EQ(f2().Label10.caption(), kMachineLanAddress);
  EXPECT_NE(log().find(std::string("本机的内网IP为：") + kMachineLanAddress), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Machines, LanAtLogin, ::testing::ValuesIn(common_machines()),
                         machine_name);

// Without a routing table to tell the LAN, the host name's address stands for it.
class LanAtLoginFallback : public LoginTest {
 protected:
  void SetUp() override {
    host_address = build_machine(os, {"hyperv_wsl"});
    start_client();
  }
  std::string host_address;
};

TEST_F(LanAtLoginFallback, TableUnreadable) {
  os.ip_helper.fail_next(Op::Table, 50);
  login_and_finish();
  EXPECT_EQ(f2().Label10.caption(), host_address);
}

TEST_F(LanAtLoginFallback, NoDefaultRoute) {
  os.ip_helper.remove_adapter(12);  // the only adapter with one
  login_and_finish();
  EXPECT_EQ(f2().Label10.caption(), host_address);
}

class LanAtDial : public ConnectionTest, public ::testing::WithParamInterface<Machine> {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    os.ip_helper.remove_adapter(2);  // the fixture's LAN: this machine brings its own
    f1().local_ip = build_machine(os, GetParam());  // as the login used to find it
    set_route_tables();
  }
  std::uint32_t default_metric(std::uint32_t if_index) {
    for (const auto& r : os.ip_helper.routes()) {
      if (r.dest == 0 && r.mask == 0 && r.if_index == if_index) return r.metric1;
    }
    return 0;
  }
};

TEST_P(LanAtDial, TunnelDefaultLosesToTheLansRoute) {
  const auto before = os.ip_helper.routes();
  const std::uint32_t lan_metric = default_metric(kMachineLan);
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(f1().local_gateway_if, static_cast<int>(kMachineLan));
  EXPECT_EQ(f1().local_gateway, kMachineLanGateway);
  EXPECT_EQ(f1().server_gateway_if, 23) << "the tunnel is ours by its address";
  EXPECT_EQ(default_metric(23), std::max(150u, lan_metric + 1));
  EXPECT_NE(log().find("部分中转已生效：3/3条路由经加速连接"), std::string::npos);
  for (const auto& r : before) {
    if (r.dest == 0 && r.mask == 0) {
      EXPECT_EQ(default_metric(r.if_index), r.metric1) << "other default routes are left alone";
    }
  }
  hang_up();
  EXPECT_EQ(default_metric(kMachineLan), lan_metric);
}

INSTANTIATE_TEST_SUITE_P(Machines, LanAtDial, ::testing::ValuesIn(common_machines()), machine_name);

class RelayWithoutInterfaceMetric : public ConnectionTest {};

// No half-applied relay: the connection stays up, every route as it was.
TEST_F(RelayWithoutInterfaceMetric, ConnectionStaysUpAsFullRelay) {
  set_route_tables();
  os.ip_helper.fail_next(Op::Metric, 1168);
  connect();
  EXPECT_TRUE(connected());
  EXPECT_TRUE(os.ip_helper.created().empty());
  EXPECT_TRUE(os.ip_helper.set_rows().empty());
  EXPECT_NE(log().find("部分中转未生效：读取加速连接接口跃点数失败，错误编号：1168，保持完全中转"),
            std::string::npos);
  hang_up();
  EXPECT_TRUE(idle());
}

// SetIpForwardEntry answers NO_ERROR and keeps the metric: the log names the way that worked
// and the table holds the ranges and the lowered tunnel default.
TEST_F(RelayWithoutInterfaceMetric, IgnoredMetricMachineStillLowersTheTunnelDefault) {
  os.ip_helper.remove_adapter(2);
  f1().local_ip = build_machine(os, {"ignored_metric"});
  set_route_tables();
  connect();
  ASSERT_TRUE(connected());
  EXPECT_NE(log().find("默认路由跃点数未被修改（接口23，跃点数150），改用SetIpForwardEntry2"),
            std::string::npos);
  EXPECT_NE(log().find("已用SetIpForwardEntry2修改默认路由：接口23，跃点数150"), std::string::npos);
  EXPECT_NE(log().find("部分中转已生效：3/3条路由经加速连接，加速连接默认路由跃点数为150"),
            std::string::npos);
  int ranges = 0;
  for (const auto& r : os.ip_helper.routes()) {
    if (r.if_index != 23) continue;
    if (r.dest == 0) {
      EXPECT_EQ(r.metric1, 150u);
    } else {
      ++ranges;
    }
  }
  EXPECT_EQ(ranges, 3);
}

}  // namespace
}  // namespace qvx::testing
