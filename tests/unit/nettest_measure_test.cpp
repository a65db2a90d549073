#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>
#include <vector>

#include "nettest/node_ranking.h"
#include "nettest/speed_rounds.h"
#include "platform/sim/sim_platform.h"
#include "widgets/headless/headless_ui.h"

namespace qvx::nettest {
namespace {

class NettestMeasureTest : public ::testing::Test {
 protected:
  NettestMeasureTest()
      : os_(std::filesystem::temp_directory_path() / "qvx-nettest-measure"),
        library_(os_.platform(), ui_),
        pinger_(library_) {}

  std::optional<std::vector<NodeResult>> measure(const std::vector<Node>& nodes, int rounds) {
    return measure_nodes(
        nodes, pinger_, rounds, [this](int done) { rounds_seen_.push_back(done); }, stop_);
  }
  static std::vector<std::string> rows(const std::vector<NodeResult>& results) {
    std::vector<std::string> out;
    for (const NodeResult& r : results) out.push_back(table_row(r));
    return out;
  }

  widgets::HeadlessUi ui_;
  sim::SimPlatform os_;
  IcmpLibrary library_;
  _CPING pinger_;
  std::atomic<bool> stop_{false};
  std::vector<int> rounds_seen_;
};

TEST_F(NettestMeasureTest, FastSlowLossyAndSilentNodesAreRankedWithTheirFigures) {
  const std::vector<Node> nodes = {{"静默", "10.0.0.1"},
                                   {"慢", "10.0.0.2"},
                                   {"快", "10.0.0.3"},
                                   {"丢包", "10.0.0.4"},
                                   {"名字", "node5.quovix.test"}};
  os_.icmp.set_round_trip("10.0.0.2", 300);
  os_.icmp.script("10.0.0.3", {11, 12, 13, 14, 15});
  // 10 ms, but two of five requests lost: 0.4 s a request on average, behind the slow node.
  os_.icmp.script("10.0.0.4", {std::nullopt, 10, std::nullopt, 10, 10});
  os_.sockets.add_host("node5.quovix.test", "10.0.0.5");
  os_.icmp.set_round_trip("10.0.0.5", 40);
  auto results = measure(nodes, kRounds);
  ASSERT_TRUE(results);
  rank(*results);
  EXPECT_EQ(rows(*results),
            (std::vector<std::string>{"快\t10.0.0.3\t13\t0%", "名字\tnode5.quovix.test\t40\t0%",
                                      "慢\t10.0.0.2\t300\t0%", "丢包\t10.0.0.4\t10\t40%",
                                      "静默\t10.0.0.1\t超时\t100%"}));
  EXPECT_EQ(rounds_seen_, (std::vector<int>{1, 2, 3, 4, 5}));
  EXPECT_EQ(os_.sockets.lookups("node5.quovix.test"), 1);
  for (const auto& request : os_.icmp.requests()) {
    EXPECT_EQ(request.ttl, 80);
    EXPECT_EQ(request.timeout_ms, 1000u);
    EXPECT_EQ(request.payload.size(), 32u);
  }
  EXPECT_EQ(os_.icmp.total_probes(), 5 * kRounds);
  EXPECT_EQ(os_.icmp.open_handles(), 0);
  EXPECT_TRUE(ui_.box_texts().empty());  // a silent or unresolved node is no error box
}

TEST_F(NettestMeasureTest, EachRoundProbesAllNodesAtOnce) {
  std::vector<Node> nodes;
  for (int i = 1; i <= 8; ++i) {
    nodes.push_back({"n" + std::to_string(i), "10.0.1." + std::to_string(i)});
    os_.icmp.set_round_trip(nodes.back().address, 200);
  }
  nodes.push_back({"silent", "10.0.1.99"});
  os_.icmp.take_real_time();
  const auto started = std::chrono::steady_clock::now();
  const auto results = measure(nodes, 2);
  const auto took = std::chrono::steady_clock::now() - started;
  ASSERT_TRUE(results);
  // One after the other would take 2 x (8 x 0.2 s + 1 s); side by side a round is its timeout.
  EXPECT_LT(took, std::chrono::milliseconds(3000));
  EXPECT_EQ(table_row(results->back()), "silent\t10.0.1.99\t超时\t100%");
}

TEST_F(NettestMeasureTest, AnUnusableLibraryGivesNoResults) {
  os_.icmp.make_unloadable();
  EXPECT_FALSE(measure({{"a", "10.0.0.1"}}, 3));
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>{"无法载入'ICMP.DLL'"});
  EXPECT_TRUE(rounds_seen_.empty());
}

TEST_F(NettestMeasureTest, AStopBeforeTheFirstRoundSendsNothing) {
  stop_ = true;
  EXPECT_FALSE(measure({{"a", "10.0.0.1"}}, 3));
  EXPECT_EQ(os_.icmp.total_probes(), 0);
}

TEST_F(NettestMeasureTest, AStopBetweenRoundsEndsTheMeasurement) {
  const std::vector<Node> nodes = {{"a", "10.0.0.1"}};
  os_.icmp.set_round_trip("10.0.0.1", 5);
  const auto results = measure_nodes(
      nodes, pinger_, 5,
      [this](int done) {
        if (done == 2) stop_ = true;
      },
      stop_);
  EXPECT_FALSE(results);
  EXPECT_EQ(os_.icmp.total_probes(), 2);
}

NodeResult result(int sent, int received, std::uint64_t reply_ms) {
  NodeResult r;
  r.node = {"n", "a"};
  r.sent = sent;
  r.received = received;
  r.reply_ms = reply_ms;
  return r;
}

TEST(NettestRanking, FiguresRoundAndEqualNodesKeepTheirOrder) {
  EXPECT_EQ(average_ms(result(3, 3, 10)), 3u);  // 3.33
  EXPECT_EQ(average_ms(result(2, 2, 5)), 3u);   // 2.5 up
  EXPECT_FALSE(average_ms(result(5, 0, 0)));
  EXPECT_EQ(loss_percent(result(3, 2, 0)), 33);
  EXPECT_EQ(loss_percent(result(3, 1, 0)), 67);
  EXPECT_EQ(loss_percent(result(0, 0, 0)), 100);

  std::vector<NodeResult> results = {result(4, 4, 40), result(4, 4, 40), result(4, 4, 39)};
  results[0].node.name = "first";
  results[1].node.name = "second";
  rank(results);
  EXPECT_EQ(results[1].node.name, "first");
  EXPECT_EQ(results[2].node.name, "second");
}

TEST(NettestRanking, TheSlowestReplyFillsTheChartAndSilenceHasNoBar) {
  const std::vector<NodeResult> results = {result(2, 2, 20), result(2, 2, 400), result(2, 0, 0),
                                           result(2, 2, 0)};
  EXPECT_EQ(bar_widths(results, 300), (std::vector<int>{15, 300, 0, 1}));
  EXPECT_EQ(bar_widths({result(1, 1, 0)}, 300), std::vector<int>{1});
}

}  // namespace
}  // namespace qvx::nettest
