// The routing-table and adapter rules of the model of Windows, one group per function.
#include <gtest/gtest.h>

#include "platform/sim/model/machine_profile.h"
#include "platform/sim/model/route_table.h"

namespace qvx::model {
namespace {

IpMachine machine(const std::string& text) {
  IpMachine m;
  EXPECT_EQ(load_machine(m, text), 0);
  return m;
}

ForwardRow row(const char* dest, const char* mask, const char* hop, std::uint32_t if_index,
               std::uint32_t metric1) {
  ForwardRow r;
  r.dest = from_dotted(dest);
  r.mask = from_dotted(mask);
  r.next_hop = from_dotted(hop);
  r.if_index = if_index;
  r.proto = 3;
  r.type = 4;
  r.metric1 = metric1;
  return r;
}

const char* kLan =
    "adapter 12 addr=192.168.1.5/255.255.255.0 gw=192.168.1.1 metric=25\n"
    "route 0.0.0.0 0.0.0.0 192.168.1.1 12 metric1=25\n";

TEST(IpModelCreate, ValidatesTheRowAsThePageSays) {
  IpMachine m = machine(kLan);
  const ForwardRow ok = row("60.0.0.0", "255.0.0.0", "192.168.1.1", 12, 26);
  ForwardRow r = ok;
  r.proto = 2;
  EXPECT_EQ(create_forward_entry(m, r), kInvalidParameter) << "MIB_IPPROTO_NETMGMT only";
  r = ok;
  r.mask = from_dotted("255.0.255.0");
  EXPECT_EQ(create_forward_entry(m, r), kInvalidParameter) << "no subnet mask";
  r = ok;
  r.dest = from_dotted("60.1.0.0");
  EXPECT_EQ(create_forward_entry(m, r), kInvalidParameter) << "bits outside the mask";
  r = row("224.0.0.0", "240.0.0.0", "192.168.1.1", 12, 26);
  EXPECT_EQ(create_forward_entry(m, r), kInvalidParameter) << "multicast destination";
  r = ok;
  r.if_index = 99;
  EXPECT_EQ(create_forward_entry(m, r), kFileNotFound);
  r = ok;
  r.metric1 = 24;
  EXPECT_EQ(create_forward_entry(m, r), kInvalidParameter) << "below the interface metric";
  EXPECT_EQ(create_forward_entry(m, ok), kNoError);
  EXPECT_EQ(create_forward_entry(m, ok), kAlreadyExists);
  r = ok;
  r.next_hop = from_dotted("192.168.1.2");
  EXPECT_EQ(create_forward_entry(m, r), kNoError) << "another next hop is another route";
  EXPECT_EQ(m.routes.size(), 3u);
}

TEST(IpModelCreate, XpTakesAnyMetric) {
  IpMachine m = machine(std::string("profile xp\n") + kLan);
  EXPECT_EQ(create_forward_entry(m, row("60.0.0.0", "255.0.0.0", "192.168.1.1", 12, 1)), kNoError);
}

TEST(IpModelSet, FindsTheRowByItsNameAndChangesMetricsTypeAndAge) {
  IpMachine m = machine(kLan);
  ForwardRow r = row("0.0.0.0", "0.0.0.0", "192.168.1.1", 12, 40);
  r.type = 3;
  r.age = 7;
  ForwardRow changed;
  ASSERT_EQ(set_forward_entry(m, r, &changed), kNoError);
  EXPECT_EQ(m.routes.at(0).metric1, 40u);
  EXPECT_EQ(m.routes.at(0).age, 7u);
  EXPECT_EQ(changed.metric1, 40u);
  r.next_hop = from_dotted("192.168.1.9");
  EXPECT_EQ(set_forward_entry(m, r), kNotFound) << "the next hop names the row";
  EXPECT_EQ(delete_forward_entry(m, r), kNotFound);
  r.next_hop = from_dotted("192.168.1.1");
  r.metric1 = 10;
  EXPECT_EQ(set_forward_entry(m, r), kInvalidParameter) << "below the interface metric";
  r.if_index = 99;
  EXPECT_EQ(set_forward_entry(m, r), kFileNotFound);
}

TEST(IpModelSet, XpFindsTheRowWithoutItsNextHop) {
  IpMachine m = machine(std::string("profile xp\n") + kLan);
  ForwardRow r = row("0.0.0.0", "0.0.0.0", "0.0.0.0", 12, 3);
  EXPECT_EQ(set_forward_entry(m, r), kNoError);
  EXPECT_EQ(m.routes.at(0).metric1, 3u);
  EXPECT_EQ(delete_forward_entry(m, r), kNoError);
  EXPECT_TRUE(m.routes.empty());
}

TEST(IpModelSet, AnIgnoringTableAnswersNoErrorAndKeepsMetric1) {
  IpMachine m = machine(std::string("ignore_set_metric 1\n") + kLan);
  ForwardRow r = row("0.0.0.0", "0.0.0.0", "192.168.1.1", 12, 125);
  r.type = 3;
  EXPECT_EQ(set_forward_entry(m, r), kNoError);
  EXPECT_EQ(m.routes.at(0).metric1, 25u);
  EXPECT_EQ(set_forward_entry2(m, r, 100), kNoError) << "the *2 function is not affected";
  EXPECT_EQ(m.routes.at(0).metric1, 125u);
}

TEST(IpModelForward2, MetricIsTheRoutesOwnPartAndXpLacksTheFunctions) {
  IpMachine m = machine(kLan);
  const ForwardRow key = row("0.0.0.0", "0.0.0.0", "192.168.1.1", 12, 0);
  ASSERT_EQ(set_forward_entry2(m, key, 75), kNoError);
  EXPECT_EQ(m.routes.at(0).metric1, 100u) << "interface metric 25 plus 75";
  ForwardRow got;
  std::uint32_t own = 0;
  ASSERT_EQ(get_forward_entry2(m, key, got, own), kNoError);
  EXPECT_EQ(own, 75u);
  ForwardRow other = key;
  other.next_hop = 0;
  EXPECT_EQ(set_forward_entry2(m, other, 1), kNotFound);
  EXPECT_EQ(get_forward_entry2(m, other, got, own), kNotFound);
  other = key;
  other.if_index = 99;
  EXPECT_EQ(set_forward_entry2(m, other, 1), kNotFound) << "no such interface";
  m.generation = Generation::Xp;
  EXPECT_EQ(set_forward_entry2(m, key, 1), kProcNotFound);
  EXPECT_EQ(get_forward_entry2(m, key, got, own), kProcNotFound);
}

TEST(IpModelTables, EmptyListsAreNoData) {
  IpMachine m;
  std::vector<ForwardRow> table;
  std::vector<const Adapter*> adapters;
  EXPECT_EQ(get_forward_table(m, table), kNoData);
  EXPECT_EQ(get_adapters_info(m, adapters), kNoData);
  m = machine(kLan);
  EXPECT_EQ(get_forward_table(m, table), kNoError);
  EXPECT_EQ(table.size(), 1u);
  remove_adapter(m, 12);
  EXPECT_EQ(get_forward_table(m, table), kNoData) << "routes go with their interface";
}

TEST(IpModelAdapters, TunnelsAndLateAdaptersAreAbsentUntilTheyAppear) {
  IpMachine m = machine(std::string(kLan) +
                        "adapter 23 addr=10.8.0.2/255.255.255.255 gw= type=23 metric=50 tunnel\n"
                        "adapter 30 addr=10.1.1.5 gw=10.1.1.1 appear=after_query\n");
  std::vector<const Adapter*> listed;
  ASSERT_EQ(get_adapters_info(m, listed), kNoError);
  EXPECT_EQ(listed.size(), 1u);
  std::uint32_t metric = 0;
  EXPECT_EQ(get_ip_interface_entry(m, kAfInet, 23, metric), kFileNotFound);
  m.tunnels_up = true;
  ASSERT_EQ(get_ip_interface_entry(m, kAfInet, 23, metric), kNoError);
  EXPECT_EQ(metric, 50u);
  EXPECT_EQ(get_ip_interface_entry(m, 0, 23, metric), kInvalidParameter) << "family";
  m.generation = Generation::Xp;
  EXPECT_EQ(get_ip_interface_entry(m, kAfInet, 23, metric), kProcNotFound);
}

TEST(IpModelDial, TheTunnelsDefaultRouteFollowsTheGeneration) {
  IpMachine m;
  Adapter tunnel;
  tunnel.index = 23;
  tunnel.metric = 50;
  tunnel.gateways = {"10.8.0.1"};
  ForwardRow r = dial_default_route(m, tunnel);
  EXPECT_EQ(r.next_hop, 0u);
  EXPECT_EQ(r.type, 3u);
  EXPECT_EQ(r.metric1, 50u);
  m.generation = Generation::Xp;
  r = dial_default_route(m, tunnel);
  EXPECT_EQ(dotted(r.next_hop), "10.8.0.1");
  EXPECT_EQ(r.type, 4u);
  EXPECT_EQ(r.metric1, 1u);
}

TEST(IpModelLines, MachineLinesRebuildTheMachine) {
  IpMachine m = machine(std::string("profile xp\nignore_set_metric 1\nmodern_standby\n") + kLan +
                        "adapter 2 addr=10.0.0.2/255.0.0.0,10.0.0.3/255.0.0.0 gw= type=23\n"
                        "route 10.0.0.0 255.0.0.0 0.0.0.0 2 metric1=5 type=3\n"
                        "unroute 10.0.0.0 255.0.0.0 0.0.0.0 2\n");
  EXPECT_TRUE(m.xp() && m.ignore_set_metric && m.modern_standby);
  ASSERT_EQ(m.adapters.size(), 2u);
  EXPECT_EQ(m.adapters[1].addresses.size(), 2u);
  EXPECT_TRUE(m.adapters[1].gateways.empty());
  ASSERT_EQ(m.routes.size(), 1u);
  EXPECT_EQ(m.routes[0].metric2, 0xFFFFFFFFu) << "unused metrics by default";
  IpMachine again;
  ASSERT_EQ(load_machine(again, machine_lines(m)), 0);
  EXPECT_EQ(machine_lines(again), machine_lines(m));
  EXPECT_EQ(load_machine(again, "# comment\n\nrouter 1 2\n"), 3) << "the bad line's number";
}

}  // namespace
}  // namespace qvx::model
