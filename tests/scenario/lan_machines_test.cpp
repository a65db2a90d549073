// The LAN on common machines: the address the login shows and the interface partial relay
// lets win are the best default route's, whatever adapter the host name's address is on.
#include "connection_fixture.h"
#include "login_fixture.h"
#include "machines.h"

namespace qvx::testing {
namespace {

using Op = sim::SimIpHelper::Op;

std::string machine_name(const ::testing::TestParamInfo<Machine>& info) {
  return info.param.name;
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
  EXPECT_EQ(f1().local_ip, GetParam().lan_address);
  EXPECT_EQ(f2().Label10.caption(), GetParam().lan_address);
  EXPECT_NE(log().find("本机的内网IP为：" + GetParam().lan_address), std::string::npos);
}

INSTANTIATE_TEST_SUITE_P(Machines, LanAtLogin, ::testing::ValuesIn(common_machines()),
                         machine_name);

// Without a routing table to tell the LAN, the host name's address stands for it.
class LanAtLoginFallback : public LoginTest {
 protected:
  void SetUp() override {
    build_machine(os, common_machines().at(0));
    start_client();
  }
};

TEST_F(LanAtLoginFallback, TableUnreadable) {
  os.ip_helper.fail_next(Op::Table, 50);
  login_and_finish();
  EXPECT_EQ(f2().Label10.caption(), "172.25.80.1");
}

TEST_F(LanAtLoginFallback, NoDefaultRoute) {
  os.ip_helper.remove_adapter(12);  // the only adapter with one
  login_and_finish();
  EXPECT_EQ(f2().Label10.caption(), "172.25.80.1");
}

class LanAtDial : public ConnectionTest, public ::testing::WithParamInterface<Machine> {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    os.ip_helper.remove_adapter(2);  // the fixture's LAN: this machine brings its own
    build_machine(os, GetParam());
    f1().local_ip = GetParam().host_address;  // as the login used to find it
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
  const Machine& m = GetParam();
  const std::uint32_t lan_metric = default_metric(m.lan_index);
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(f1().local_gateway_if, static_cast<int>(m.lan_index));
  EXPECT_EQ(f1().local_gateway, m.lan_gateway);
  EXPECT_EQ(f1().server_gateway_if, 23) << "the tunnel is ours by its address";
  EXPECT_EQ(default_metric(23), std::max(150u, lan_metric + 1));
  EXPECT_NE(log().find("部分中转已生效：3/3条路由经加速连接"), std::string::npos);
  for (const MachineAdapter& a : m.adapters) {
    if (a.route_metric >= 0) {
      EXPECT_EQ(default_metric(a.adapter.index), static_cast<std::uint32_t>(a.route_metric))
          << "other default routes are left alone";
    }
  }
  hang_up();
  EXPECT_EQ(default_metric(m.lan_index), lan_metric);
}

INSTANTIATE_TEST_SUITE_P(Machines, LanAtDial, ::testing::ValuesIn(common_machines()), machine_name);

}  // namespace
}  // namespace qvx::testing
