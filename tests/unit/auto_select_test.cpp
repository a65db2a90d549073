#include "connect/auto_select.h"

#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <memory>
#include <optional>
#include <random>
#include <vector>

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

TEST_F(AutoSelectTest, EveryNodeIsProbedTwiceWithTheFixedParameters) {
  nodes(3);
  for (int i = 1; i <= 3; ++i) os_.icmp.set_round_trip(record_.node_addresses[i], 10);
  choose();
  const auto requests = os_.icmp.requests();
  ASSERT_EQ(requests.size(), 6u);
  for (const auto& request : requests) {
    EXPECT_EQ(request.ttl, 80);
    EXPECT_EQ(request.timeout_ms, 1000u);
    EXPECT_EQ(request.payload, std::string(32, 'E'));
  }
  for (int i = 1; i <= 3; ++i) EXPECT_EQ(os_.icmp.probes(record_.node_addresses[i]), 2);
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

TEST_F(AutoSelectTest, UnresolvableNodesAreReportedAtBothProbesInNodeOrderAndScoreAsLost) {
  nodes(4);
  record_.node_addresses[2] = "gone.quovix.test";
  record_.node_addresses[4] = "away.quovix.test";
  os_.icmp.lose("10.0.0.1");
  os_.icmp.set_round_trip("10.0.0.3", 700);  // 1400
  EXPECT_EQ(choose(), 3);
  EXPECT_EQ(ui_.box_texts(), (std::vector<std::string>{
                                 "无法解析主机名：gone.quovix.test",
                                 "无法解析主机名：gone.quovix.test",
                                 "无法解析主机名：away.quovix.test",
                                 "无法解析主机名：away.quovix.test",
                             }));
}

TEST_F(AutoSelectTest, EmptyAddressIsUnresolvableAndNeverProbesThisMachine) {
  nodes(2);
  record_.node_addresses[2] = "";
  // gethostbyname("") names the machine itself, whose echo would come back at once.
  os_.icmp.set_round_trip("192.168.1.5", 0);
  os_.icmp.set_round_trip("10.0.0.1", 50);
  EXPECT_EQ(choose(), 1);
  EXPECT_EQ(os_.icmp.probes("192.168.1.5"), 0);
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>(2, "无法解析主机名："));
}

TEST_F(AutoSelectTest, HostNamesAreResolvedOncePerChoice) {
  nodes(2);
  record_.node_addresses[2] = "node2.quovix.test";
  os_.sockets.add_host("node2.quovix.test", "10.0.0.2");
  os_.icmp.set_round_trip("10.0.0.1", 50);
  os_.icmp.set_round_trip("10.0.0.2", 5);
  EXPECT_EQ(choose(), 2);
  EXPECT_EQ(os_.sockets.lookups("node2.quovix.test"), 1);
  EXPECT_EQ(os_.icmp.probes("10.0.0.2"), 2);
}

TEST_F(AutoSelectTest, BadHandlesAreReportedPerProbeInNodeOrder) {
  nodes(2);
  os_.icmp.set_round_trip("10.0.0.1", 5);
  os_.icmp.invalidate_handles();
  EXPECT_EQ(choose(), 1);
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>(4, "无效的'ICMP'句柄"));
}

TEST_F(AutoSelectTest, OverlongNodeCountStopsAtTheLastSlot) {
  nodes(kNodeSlots - 1);
  record_.node_count = 60;
  for (int i = 1; i < kNodeSlots; ++i) os_.icmp.set_round_trip(record_.node_addresses[i], 900);
  os_.icmp.set_round_trip("10.0.0.49", 3);
  EXPECT_EQ(choose(), 49);
  EXPECT_EQ(os_.icmp.total_probes(), 2 * 49);
}

// The choice probes nodes side by side; whatever the echoes, it must pick the node that probing
// them one after the other picks: the lowest sum of two echoes, a lost one counting 1000 ms,
// ties to the lower node.
int sequential_reference(const std::vector<std::array<std::optional<std::uint32_t>, 2>>& echoes) {
  std::uint64_t best_score = 10000000;
  int best = 1;
  for (std::size_t i = 1; i < echoes.size(); ++i) {
    std::uint64_t score = 0;
    for (const auto& echo : echoes[i]) score += echo ? *echo : 1000;
    if (score < best_score) {
      best_score = score;
      best = static_cast<int>(i);
    }
  }
  return best;
}

TEST(AutoSelectProperty, ConcurrentChoiceEqualsTheSequentialRuleOnRandomTables) {
  std::mt19937 random(20261209);
  const auto dir = fresh_dir();
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
  constexpr int kTables = 2000;  // thread start-up is slow under the sanitizers
#else
  constexpr int kTables = 10000;
#endif
  widgets::HeadlessUi ui;
  sim::SimPlatform os(dir);
  IcmpLibrary library(os.platform(), ui);
  _CPING pinger(library);
  ClientRecord record(os.platform());
  int checked = 0;
  for (int table = 0; table < kTables; ++table) {
    // Few distinct times make ties common; small tables keep the run short.
    const int nodes = std::uniform_int_distribution<int>(0, table % 10 == 0 ? 49 : 5)(random);
    std::uniform_int_distribution<int> kind(0, 9);
    std::uniform_int_distribution<std::uint32_t> time(0, 12);
    std::vector<std::array<std::optional<std::uint32_t>, 2>> echoes(nodes + 1);
    record.node_count = nodes;
    for (int i = 1; i <= nodes; ++i) {
      const std::string address = "10.1." + std::to_string(i) + ".1";
      record.node_addresses[i] = address;
      if (kind(random) == 0) {
        record.node_addresses[i] = "unknown" + std::to_string(i) + ".test";  // both probes lost
        continue;
      }
      for (auto& echo : echoes[i]) {
        const int k = kind(random);
        // Lost, a full second (as costly as a loss), or a few milliseconds.
        echo = k < 2 ? std::nullopt : std::optional<std::uint32_t>(k == 2 ? 1000 : time(random));
      }
      os.icmp.script(address, {echoes[i][0], echoes[i][1]});
    }
    const int expected = sequential_reference(echoes);
    ASSERT_EQ(choose_best_node(record, pinger), expected) << "table " << table;
    ASSERT_EQ(record.best_node, expected);
    ++checked;
  }
  EXPECT_EQ(checked, kTables);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace qvx
