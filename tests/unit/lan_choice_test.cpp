#include "routing/lan_choice.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_ip_helper.h"
#include "platform/sim/sim_sockets.h"

namespace qvx {
namespace {

platform::ForwardRow default_route(std::uint32_t if_index, const char* hop, std::uint32_t metric) {
  platform::ForwardRow r;
  r.next_hop = sim::ipv4(hop);
  r.if_index = if_index;
  r.metric1 = metric;
  return r;
}

TEST(LanChoice, LowestDefaultMetricBesideTheTunnelWithItsFirstUsableAddress) {
  platform::ForwardRow host = default_route(3, "10.0.0.1", 1);
  host.dest = sim::ipv4("10.1.0.0");
  host.mask = sim::ipv4("255.255.0.0");
  const std::vector<platform::ForwardRow> table = {
      host, default_route(23, "0.0.0.0", 5), default_route(3, "10.0.0.1", 40),
      default_route(4, "192.168.1.1", 30), default_route(5, "192.168.2.1", 30)};
  const std::vector<platform::Adapter> adapters = {
      {3, {"10.0.0.9"}, {"10.0.0.1"}},
      {4, {"0.0.0.0", "bad", "192.168.1.5"}, {"192.168.1.1"}},
  };
  auto lan = choose_lan(table, adapters, 23);
  ASSERT_TRUE(lan);
  EXPECT_EQ(lan->route.if_index, 4u) << "of equal metrics the first listed";
  EXPECT_EQ(lan->address, "192.168.1.5");

  EXPECT_EQ(choose_lan(table, adapters, 0)->route.if_index, 23u) << "nothing excluded";
  EXPECT_EQ(choose_lan(table, {}, 23)->address, "") << "the adapter is not listed";
  EXPECT_FALSE(choose_lan({host}, adapters, 0)) << "no default route";
}

TEST(LanChoice, FindLanReadsTheMachine) {
  sim::SimIpHelper ip;
  ip.add_adapter({4, {"192.168.1.5"}, {"192.168.1.1"}});
  ip.add_route(default_route(4, "192.168.1.1", 25));
  EXPECT_EQ(find_lan(ip)->address, "192.168.1.5");
  ip.fail_adapter_list(true);
  EXPECT_EQ(find_lan(ip)->address, "");
  ip.fail_next(sim::SimIpHelper::Op::Table, 50);
  EXPECT_FALSE(find_lan(ip));
}

}  // namespace
}  // namespace qvx
