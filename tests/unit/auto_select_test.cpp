#include "connect/auto_select.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>

#include "platform/sim/sim_platform.h"
#include "widgets/headless/headless_ui.h"

namespace qvx {
namespace {

std::filesystem::path fresh_dir() {
  const auto dir = std::filesystem::temp_directory_path() /
                   (std::string("qvx-autosel-") +
                    ::testing::UnitTest::GetInstance()->current_test_info()->name());
  std::filesystem::remove_all(dir);
  return dir;
}

class AutoSelectTest : public ::testing::Test {
 protected:
  AutoSelectTest()
      : root_(fresh_dir()),
        os_(root_),
        library_(os_.platform(), ui_),
        pinger_(library_),
        record_(os_.platform()) {
    record_.log_file.open(os_.files, os_.clock, "C:\\Quovix\\");
  }
  ~AutoSelectTest() override {
    record_.log_file.close();
    std::filesystem::remove_all(root_);
  }

  // Nodes 1..n at 10.0.0.1.., named N1..
  void nodes(int n) {
    record_.node_count = n;
    for (int i = 1; i <= n; ++i) {
      record_.node_addresses[i] = "10.0.0." + std::to_string(i);
      record_.node_names[i] = "N" + std::to_string(i);
    }
  }
  int choose() { return choose_best_node(record_, pinger_); }
  std::string log() { return os_.files.get("C:\\Quovix\\qvxl.log").value_or(""); }

  std::filesystem::path root_;
  widgets::HeadlessUi ui_;
  sim::SimPlatform os_;
  IcmpLibrary library_;
  _CPING pinger_;
  ClientRecord record_;
};

TEST_F(AutoSelectTest, EveryNodeIsProbedTwiceInOrderWithTheFixedParameters) {
  nodes(3);
  for (int i = 1; i <= 3; ++i) os_.icmp.set_round_trip(record_.node_addresses[i], 10);
  choose();
  const auto requests = os_.icmp.requests();
  ASSERT_EQ(requests.size(), 6u);
  for (std::size_t k = 0; k < requests.size(); ++k) {
    SCOPED_TRACE(k);
    EXPECT_EQ(requests[k].address, sim::ipv4(record_.node_addresses[k / 2 + 1]));
    EXPECT_EQ(requests[k].ttl, 80);
    EXPECT_EQ(requests[k].timeout_ms, 1000u);
    EXPECT_EQ(requests[k].payload, std::string(32, 'E'));
  }
}

TEST_F(AutoSelectTest, LowestSumWinsAndEqualScoresGoToTheLowerNode) {
  nodes(4);
  os_.icmp.set_round_trip("10.0.0.1", 30);  // 60
  os_.icmp.set_round_trip("10.0.0.2", 20);  // 40
  os_.icmp.set_round_trip("10.0.0.3", 20);  // 40
  os_.icmp.set_round_trip("10.0.0.4", 21);  // 42
  EXPECT_EQ(choose(), 2);
  EXPECT_EQ(record_.best_node, 2);
  EXPECT_NE(log().find("自动判断加速节点为：N2\r\n"), std::string::npos);
}

TEST_F(AutoSelectTest, LostProbeCountsAsOneSecond) {
  nodes(3);
  os_.icmp.lose("10.0.0.1");  // 2000
  sim::SimIcmp::Host once;
  once.round_trip_ms = 5;
  once.lost_next = 1;
  os_.icmp.set_host("10.0.0.2", once);       // 1005
  os_.icmp.set_round_trip("10.0.0.3", 503);  // 1006
  EXPECT_EQ(choose(), 2);
}

TEST_F(AutoSelectTest, NodeFailingBothProbesIsChosenOnlyWhenNothingIsBetter) {
  nodes(3);
  os_.icmp.set_round_trip("10.0.0.1", 1000);  // exactly 2000, listed first
  os_.icmp.lose("10.0.0.2");
  os_.icmp.set_round_trip("10.0.0.3", 1000);
  EXPECT_EQ(choose(), 1);

  os_.icmp.lose("10.0.0.1");
  os_.icmp.set_round_trip("10.0.0.3", 999);  // 1998
  EXPECT_EQ(choose(), 3);

  os_.icmp.lose("10.0.0.3");
  EXPECT_EQ(choose(), 1);
}

TEST_F(AutoSelectTest, WithoutNodesTheChoiceIsNodeOne) {
  record_.best_node = 7;
  EXPECT_EQ(choose(), 1);
  EXPECT_EQ(record_.best_node, 1);
  EXPECT_EQ(os_.icmp.total_probes(), 0);
  EXPECT_NE(log().find("自动判断加速节点为：\r\n"), std::string::npos);
}

TEST_F(AutoSelectTest, UnloadableLibraryShowsOneMessageAndNodeOneWins) {
  nodes(5);
  os_.icmp.set_round_trip("10.0.0.4", 1);
  os_.icmp.make_unloadable();
  EXPECT_EQ(choose(), 1);
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>{"无法载入'ICMP.DLL'"});
  EXPECT_EQ(os_.icmp.total_probes(), 0);
}

TEST_F(AutoSelectTest, UnresolvableNodeIsReportedAtBothProbesAndScoresAsLost) {
  nodes(3);
  record_.node_addresses[2] = "gone.quovix.test";
  os_.icmp.lose("10.0.0.1");
  os_.icmp.set_round_trip("10.0.0.3", 700);  // 1400
  EXPECT_EQ(choose(), 3);
  EXPECT_EQ(ui_.box_texts(), (std::vector<std::string>{"无法解析主机名：gone.quovix.test",
                                                       "无法解析主机名：gone.quovix.test"}));
}

TEST_F(AutoSelectTest, OverlongNodeCountStopsAtTheLastSlot) {
  nodes(kNodeSlots - 1);
  record_.node_count = 60;
  for (int i = 1; i < kNodeSlots; ++i) os_.icmp.set_round_trip(record_.node_addresses[i], 900);
  os_.icmp.set_round_trip("10.0.0.49", 3);
  EXPECT_EQ(choose(), 49);
  EXPECT_EQ(os_.icmp.total_probes(), 2 * 49);
}

}  // namespace
}  // namespace qvx
