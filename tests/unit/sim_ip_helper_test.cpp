// The simulated IP Helper and the tunnels of the simulated RAS hold the client to the rules
// of the Windows generation they play.
#include "platform/sim/sim_ip_helper.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_ras.h"
#include "platform/sim/sim_sockets.h"

namespace qvx::sim {
namespace {

using platform::ForwardRow;

class SimIpHelperTest : public ::testing::Test {
 protected:
  SimIpHelperTest() : ras(ip) {}
  // Dials and returns the tunnel's default route, the handle in `handle`.
  ForwardRow dial(platform::RasHandle& handle) {
    ras.add_entry("e");
    EXPECT_EQ(ras.dial("e", "u", "p", handle), 0u);
    std::vector<ForwardRow> table;
    EXPECT_EQ(ip.forward_table(table), 0u);
    return table.empty() ? ForwardRow{} : table.back();
  }
  SimIpHelper ip;
  SimRas ras;
};

TEST_F(SimIpHelperTest, VistaTunnelIsSmallOnLinkAndRefusesMetricsBelowItsInterface) {
  platform::RasHandle h = 0;
  const ForwardRow tunnel = dial(h);
  EXPECT_EQ(tunnel.if_index, 23u);
  EXPECT_EQ(tunnel.next_hop, 0u);
  EXPECT_EQ(tunnel.metric1, 50u);
  std::string address, server;
  ASSERT_EQ(ras.ip_projection(h, address, server), 0u);
  EXPECT_EQ(address, "10.8.0.2");
  std::uint32_t metric = 0;
  ASSERT_EQ(ip.interface_metric(23, metric), 0u);
  EXPECT_EQ(metric, 50u);

  ForwardRow range = tunnel;
  range.dest = ipv4("60.0.0.0");
  range.mask = ipv4("255.0.0.0");
  range.metric1 = 1;
  EXPECT_EQ(ip.create_forward_entry(range), 87u) << "below the interface metric";
  range.metric1 = 50;
  EXPECT_EQ(ip.create_forward_entry(range), 0u);
  EXPECT_EQ(ip.create_forward_entry(range), platform::kErrorObjectAlreadyExists);
  range.proto = 2;
  EXPECT_EQ(ip.create_forward_entry(range), 87u) << "callers must say MIB_IPPROTO_NETMGMT";

  ForwardRow other_hop = tunnel;
  other_hop.next_hop = ipv4("10.8.0.1");
  other_hop.metric1 = 150;
  EXPECT_EQ(ip.set_forward_entry(other_hop), 1168u) << "the next hop names the row too";
  EXPECT_EQ(ip.delete_forward_entry(other_hop), 1168u);

  ASSERT_EQ(ras.hang_up(h), 0u);
  std::vector<ForwardRow> table;
  EXPECT_EQ(ip.forward_table(table), 232u) << "the tunnel's routes go with it: ERROR_NO_DATA";
  EXPECT_TRUE(table.empty());
  EXPECT_EQ(ras.ip_projection(h, address, server), platform::kRasInvalidHandle);
  EXPECT_EQ(ip.interface_metric(23, metric), 2u);
}

TEST_F(SimIpHelperTest, XpTunnelIsHighThroughItsGatewayWithoutInterfaceMetric) {
  ip.set_profile(WindowsProfile::XpLike);
  platform::RasHandle h = 0;
  const ForwardRow tunnel = dial(h);
  EXPECT_EQ(tunnel.if_index, 65539u);
  EXPECT_EQ(address_to_dotted(tunnel.next_hop), "10.8.0.1");
  EXPECT_EQ(tunnel.metric1, 1u);
  std::uint32_t metric = 0;
  EXPECT_EQ(ip.interface_metric(65539, metric), platform::kErrorProcNotFound);
  ForwardRow loose = tunnel;
  loose.next_hop = 0;
  loose.metric1 = 100;
  EXPECT_EQ(ip.set_forward_entry(loose), 0u) << "found without its next hop";
  EXPECT_EQ(ip.routes().at(0).metric1, 100u);
}

TEST_F(SimIpHelperTest, RouteMetric2AddsTheInterfaceMetricAndIgnoredSetMetricKeepsTheRow) {
  platform::RasHandle h = 0;
  ForwardRow tunnel = dial(h);
  EXPECT_EQ(ip.set_route_metric2(tunnel, 5), 0u);
  EXPECT_EQ(ip.routes().at(0).metric1, 55u) << "interface metric 50 plus the route's 5";
  ForwardRow other_hop = tunnel;
  other_hop.next_hop = ipv4("10.8.0.1");
  EXPECT_EQ(ip.set_route_metric2(other_hop, 5), 1168u) << "the next hop names the row";

  ip.ignore_set_metric(true);
  tunnel.metric1 = 200;
  EXPECT_EQ(ip.set_forward_entry(tunnel), 0u);
  EXPECT_EQ(ip.routes().at(0).metric1, 55u) << "answered NO_ERROR, metric1 kept";
  ip.ignore_set_metric(false);
  EXPECT_EQ(ip.set_forward_entry(tunnel), 0u);
  EXPECT_EQ(ip.routes().at(0).metric1, 200u);
}

TEST_F(SimIpHelperTest, XpHasNoRouteMetric2) {
  ip.set_profile(WindowsProfile::XpLike);
  platform::RasHandle h = 0;
  const ForwardRow tunnel = dial(h);
  EXPECT_EQ(ip.set_route_metric2(tunnel, 5), platform::kErrorProcNotFound);
  EXPECT_EQ(ip.routes().at(0).metric1, 1u);
}

}  // namespace
}  // namespace qvx::sim
