#include "connect/cping.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "connect/auto_select.h"
#include "platform/sim/sim_platform.h"
#include "verify/client_record.h"
#include "widgets/headless/headless_ui.h"

namespace qvx {
namespace {

class PingTest : public ::testing::Test {
 protected:
  PingTest()
      : root_(std::filesystem::temp_directory_path() /
              ("qvx-ping-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        os_(root_),
        library_(os_.platform(), ui_),
        pinger_(library_),
        record_(os_.platform()) {
    record_.log_file.open(os_.files, os_.clock, "C:\\Quovix\\");
  }
  ~PingTest() override {
    record_.log_file.close();
    std::filesystem::remove_all(root_);
  }
  bool ping(const std::string& host, ping_reply& reply, std::uint8_t size = 32) {
    return pinger_.ping(host, reply, 64, 2500, size);
  }
  void add_nodes(std::initializer_list<const char*> addresses) {
    int n = 0;
    for (const char* a : addresses) {
      ++n;
      record_.node_addresses[n] = a;
      record_.node_names[n] = "node" + std::to_string(n);
    }
    record_.node_count = n;
  }
  std::string log() { return os_.files.get("C:\\Quovix\\qvxl.log").value_or(""); }

  std::filesystem::path root_;
  sim::SimPlatform os_;
  widgets::HeadlessUi ui_;
  IcmpLibrary library_;
  _CPING pinger_;
  ClientRecord record_;
};

TEST_F(PingTest, CorrectEchoReportsAddressAndRoundTrip) {
  os_.icmp.set_round_trip("127.0.0.1", 17);
  ping_reply reply;
  ASSERT_TRUE(ping("127.0.0.1", reply));
  EXPECT_EQ(reply.round_trip_ms, 17u);
  EXPECT_EQ(reply.reply_address, sim::dotted_to_address("127.0.0.1"));
  EXPECT_EQ(os_.sockets.lookups("127.0.0.1"), 0) << "a dotted address needs no lookup";
  EXPECT_EQ(os_.icmp.last_buffer_size(), 28u + 32u);
  EXPECT_EQ(os_.icmp.open_handles(), 0) << "the handle is closed after the probe";
}

TEST_F(PingTest, InexactRepliesFailWithTheirCause) {
  sim::EchoBehaviour short_reply;
  short_reply.data_size = 31;
  os_.icmp.set_host("10.0.0.1", short_reply);
  sim::EchoBehaviour wrong_byte;
  wrong_byte.corrupt_byte = true;
  os_.icmp.set_host("10.0.0.2", wrong_byte);
  sim::EchoBehaviour unreachable;
  unreachable.status = 11003;
  os_.icmp.set_host("10.0.0.3", unreachable);

  ping_reply reply;
  reply.round_trip_ms = 999;
  EXPECT_FALSE(ping("10.0.0.1", reply));
  EXPECT_EQ(os_.icmp.last_error(), 59u);
  EXPECT_FALSE(ping("10.0.0.2", reply));
  EXPECT_EQ(os_.icmp.last_error(), 59u);
  EXPECT_FALSE(ping("10.0.0.3", reply));
  EXPECT_EQ(os_.icmp.last_error(), 11003u);
  EXPECT_FALSE(ping("10.0.0.4", reply));
  EXPECT_EQ(os_.icmp.last_error(), sim::SimIcmp::kTimedOut) << "left as the system set it";
  EXPECT_EQ(reply.round_trip_ms, 999u) << "reply untouched on failure";
}

TEST_F(PingTest, SmallPayloadStillReservesRoomForEightBytes) {
  os_.icmp.set_round_trip("127.0.0.1", 1);
  ping_reply reply;
  EXPECT_TRUE(ping("127.0.0.1", reply, 0));
  EXPECT_EQ(os_.icmp.last_buffer_size(), 28u + 8u);
}

TEST_F(PingTest, NamesAreResolvedAndUnknownNamesReported) {
  os_.icmp.set_round_trip("127.0.0.1", 3);
  ping_reply reply;
  EXPECT_TRUE(ping("localhost", reply));
  EXPECT_FALSE(ping("no.such.host", reply));
  ASSERT_EQ(ui_.box_texts().size(), 1u);
  EXPECT_EQ(ui_.box_texts()[0], "无法解析主机名：no.such.host");
  EXPECT_EQ(ui_.boxes()[0].caption, "ERROR");
}

TEST_F(PingTest, InvalidHandleIsReported) {
  os_.icmp.set_handle_invalid(true);
  ping_reply reply;
  EXPECT_FALSE(ping("127.0.0.1", reply));
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>{"无效的'ICMP'句柄"});
}

TEST_F(PingTest, MissingLibraryIsReportedOnceAndEveryNodeScoresTheSame) {
  os_.icmp.set_library_missing(true);
  add_nodes({"127.0.0.2", "127.0.0.3", "127.0.0.4"});
  EXPECT_EQ(choose_best_node(record_, pinger_), 1);
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>{"无法载入'ICMP.DLL'"});
  EXPECT_EQ(os_.icmp.total_probes(), 0);
}

TEST_F(PingTest, MissingEntryPointsAndWinsockAreReportedOnce) {
  os_.icmp.set_entry_points_missing(true);
  ping_reply reply;
  EXPECT_FALSE(ping("127.0.0.1", reply));
  EXPECT_FALSE(ping("127.0.0.1", reply));
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>{"'ICMP.DLL'中函数无效"});

  os_.sockets.fail_startup(true);
  IcmpLibrary fresh(os_.platform(), ui_);
  _CPING other(fresh);
  EXPECT_FALSE(other.ping("127.0.0.1", reply, 64, 100, 32));
  EXPECT_EQ(ui_.box_texts().back(), "WinSock版本不匹配");
}

TEST_F(PingTest, AutoChoiceSumsTwoProbesAndPrefersTheEarlierNodeOnTies) {
  os_.icmp.set_round_trip("127.0.0.2", 20);
  os_.icmp.set_round_trip("127.0.0.3", 20);
  os_.icmp.set_round_trip("127.0.0.4", 30);
  add_nodes({"127.0.0.4", "127.0.0.2", "127.0.0.3"});
  EXPECT_EQ(choose_best_node(record_, pinger_), 2);
  EXPECT_EQ(record_.best_node, 2);
  EXPECT_EQ(os_.icmp.probes("127.0.0.2"), 2);
  EXPECT_EQ(os_.icmp.total_probes(), 6);
  EXPECT_EQ(os_.icmp.last_ttl(), 80);
  EXPECT_EQ(os_.icmp.last_timeout(), 1000u);
  EXPECT_NE(log().find("自动判断加速节点为：node2"), std::string::npos);
}

TEST_F(PingTest, LostProbesCountASecondEach) {
  os_.icmp.set_round_trip("127.0.0.3", 999);
  add_nodes({"127.0.0.9", "127.0.0.3"});  // node 1 never answers: 2000
  EXPECT_EQ(choose_best_node(record_, pinger_), 2);
  os_.icmp.set_round_trip("127.0.0.3", 1000);
  EXPECT_EQ(choose_best_node(record_, pinger_), 1) << "2000 against 2000: the earlier node";
}

TEST_F(PingTest, NoNodesChoosesNodeOne) {
  record_.node_count = 0;
  EXPECT_EQ(choose_best_node(record_, pinger_), 1);
  record_.node_count = 500;  // a count past the arrays probes only what fits
  EXPECT_EQ(choose_best_node(record_, pinger_), 1);
}

}  // namespace
}  // namespace qvx
