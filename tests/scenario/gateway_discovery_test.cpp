#include "app_fixture.h"

namespace qvx::testing {
namespace {

using platform::kIfTypePpp;

class GatewayDiscoveryTest : public AppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start());
    f1().local_ip = "192.168.1.5";
  }
  void adapter(std::uint32_t index, std::vector<std::string> addresses,
               std::vector<std::string> gateways, std::uint32_t type = platform::kIfTypeEthernet) {
    os.ip_helper.add_adapter({index, std::move(addresses), std::move(gateways), type});
  }
  // A real dial over the simulated RAS: its tunnel adapter and the connection handle.
  void dial() {
    os.ras.add_entry("Quovix加速1");
    platform::RasHandle handle = 0;
    ASSERT_EQ(os.ras.dial("Quovix加速1", "u", "p", handle), 0u);
    f1().ras_connection = handle;
  }
  bool logged(const std::string& line) { return log().find(line) != std::string::npos; }
};

TEST_F(GatewayDiscoveryTest, TunnelIsFoundByItsProjectedAddressWhateverItsIndexAndGateway) {
  adapter(2, {"192.168.1.5"}, {"192.168.1.1"});
  adapter(24, {"10.9.0.2"}, {"0.0.0.0"}, kIfTypePpp);  // another VPN, first in the list
  dial();                                              // index 23, gateway 0.0.0.0
  f1().discover_gateways();
  EXPECT_EQ(f1().local_gateway_if, 2);
  EXPECT_EQ(f1().local_gateway, "192.168.1.1");
  EXPECT_EQ(f1().server_gateway_if, 23);
  EXPECT_EQ(f1().server_gateway, "10.8.0.2") << "a PPP link's own end stands for its gateway";
  const std::string text = log();
  const auto a = text.find("获得本地默认网关为：192.168.1.1");
  const auto b = text.find("获得本地默认网关对应的设备接口为：2", a);
  const auto c = text.find("获得加速服务器网关为：10.8.0.2", b);
  const auto d = text.find("获得加速服务器网关对应的设备接口为：23", c);
  EXPECT_NE(d, std::string::npos);
}

TEST_F(GatewayDiscoveryTest, AddressThatComesLateIsWaitedForOnTheClockWithinABound) {
  adapter(2, {"192.168.1.5"}, {"192.168.1.1"});
  os.ras.tunnel_address_late_listings = 3;
  dial();
  f1().discover_gateways();
  EXPECT_EQ(f1().server_gateway_if, 23);
  EXPECT_EQ(os.clock.paused(), std::chrono::milliseconds(1500));

  ASSERT_EQ(os.ras.hang_up(f1().ras_connection), 0u);
  os.ras.tunnel_address_late_listings = 1000;
  dial();  // a second tunnel, index 24, that never shows its address
  f1().discover_gateways();
  EXPECT_EQ(f1().server_gateway_if, 0);
  EXPECT_EQ(f1().server_gateway, "");
  EXPECT_EQ(os.clock.paused(), std::chrono::milliseconds(1500 + 9 * 500));
  EXPECT_TRUE(logged("未找到地址为10.8.0.2的加速连接网卡"));
}

TEST_F(GatewayDiscoveryTest, WithoutTheProjectionOnePppAdapterIsTheTunnelTwoAreNone) {
  adapter(2, {"192.168.1.5"}, {"192.168.1.1"});
  dial();
  os.ras.fail_next(sim::SimRas::Call::Projection, 731);
  f1().discover_gateways();
  EXPECT_TRUE(logged("获取加速连接地址失败，错误编号：731"));
  EXPECT_EQ(f1().server_gateway_if, 23);

  adapter(24, {"10.9.0.2"}, {"0.0.0.0"}, kIfTypePpp);
  os.ras.fail_next(sim::SimRas::Call::Projection, 731);
  f1().discover_gateways();
  EXPECT_TRUE(logged("发现多个拨号连接，无法确定加速连接网卡"));
  EXPECT_EQ(f1().server_gateway_if, 0) << "the earlier tunnel's index is not kept";
  EXPECT_EQ(f1().local_gateway_if, 2);
}

TEST_F(GatewayDiscoveryTest, IndexAboveFiveThousandIsTheLastFallback) {
  adapter(5001, {"192.168.1.5"}, {"0.0.0.0", "192.168.1.1"});
  adapter(70000, {"10.9.0.6"}, {"10.9.0.1"});
  adapter(65539, {"10.8.0.6"}, {"0.0.0.0", ".5"});
  f1().discover_gateways();  // no connection: the projection fails
  EXPECT_EQ(f1().local_gateway_if, 5001);
  EXPECT_EQ(f1().local_gateway, "192.168.1.1");
  EXPECT_EQ(f1().server_gateway, "10.9.0.1") << "the last one with a usable gateway";
  EXPECT_EQ(f1().server_gateway_if, 70000);
}

TEST_F(GatewayDiscoveryTest, NoTunnelClearsTheTunnelSideAndKeepsTheLocalOne) {
  f1().server_gateway = "10.1.1.1";
  f1().server_gateway_if = 6000;
  f1().local_gateway = "192.168.9.1";
  f1().local_gateway_if = 9;
  os.ip_helper.fail_adapter_list(true);
  f1().discover_gateways();
  EXPECT_EQ(f1().server_gateway, "");
  EXPECT_EQ(f1().server_gateway_if, 0);
  EXPECT_EQ(f1().local_gateway, "192.168.9.1");
  EXPECT_EQ(f1().local_gateway_if, 9);
  EXPECT_TRUE(logged("未找到加速连接网卡"));
  EXPECT_TRUE(logged("获得加速服务器网关对应的设备接口为：0"));
}

}  // namespace
}  // namespace qvx::testing
