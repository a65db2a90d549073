#include "app_fixture.h"

namespace qvx::testing {
namespace {

class GatewayDiscoveryTest : public AppTest {
 protected:
  void SetUp() override {
    ASSERT_TRUE(start());
    f1().local_ip = "192.168.1.5";
  }
  void adapter(std::uint32_t index, std::vector<std::string> addresses,
               std::vector<std::string> gateways) {
    os.ip_helper.add_adapter({index, std::move(addresses), std::move(gateways)});
  }
};

TEST_F(GatewayDiscoveryTest, FindsTheLocalAdapterAndTheTunnel) {
  adapter(2, {"192.168.1.5"}, {"192.168.1.1"});
  adapter(65539, {"10.8.0.6"}, {"10.8.0.1"});
  f1().discover_gateways();
  EXPECT_EQ(f1().local_gateway_if, 2);
  EXPECT_EQ(f1().local_gateway, "192.168.1.1");
  EXPECT_EQ(f1().server_gateway_if, 65539);
  EXPECT_EQ(f1().server_gateway, "10.8.0.1");
  const std::string text = log();
  const auto a = text.find("获得本地默认网关为：192.168.1.1");
  const auto b = text.find("获得本地默认网关对应的设备接口为：2", a);
  const auto c = text.find("获得加速服务器网关为：10.8.0.1", b);
  const auto d = text.find("获得加速服务器网关对应的设备接口为：65539", c);
  EXPECT_NE(d, std::string::npos);
}

TEST_F(GatewayDiscoveryTest, IndexRuleComesFirstAndLaterAdaptersWin) {
  adapter(5001, {"192.168.1.5"}, {"0.0.0.0", "192.168.1.1"});
  adapter(70000, {"10.9.0.6"}, {"10.9.0.1"});
  f1().discover_gateways();
  EXPECT_EQ(f1().local_gateway_if, 5001);
  EXPECT_EQ(f1().local_gateway, "");
  EXPECT_EQ(f1().server_gateway, "10.9.0.1");
  EXPECT_EQ(f1().server_gateway_if, 70000);
}

TEST_F(GatewayDiscoveryTest, UnacceptableGatewaysAndFailedListsKeepOldValues) {
  f1().server_gateway = "10.1.1.1";
  f1().server_gateway_if = 6000;
  adapter(65539, {"10.8.0.6"}, {"0.0.0.0", ".5"});
  f1().discover_gateways();
  EXPECT_EQ(f1().server_gateway, "10.1.1.1");
  EXPECT_EQ(f1().server_gateway_if, 6000);
  EXPECT_EQ(f1().local_gateway_if, 0);

  os.ip_helper.fail_adapter_list(true);
  f1().discover_gateways();
  EXPECT_EQ(f1().server_gateway, "10.1.1.1");
  EXPECT_NE(log().find("获得加速服务器网关对应的设备接口为：6000"), std::string::npos);
}

}  // namespace
}  // namespace qvx::testing
