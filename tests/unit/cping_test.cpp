#include "connect/cping.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <stdexcept>
#include <thread>

#include "platform/sim/sim_platform.h"
#include "widgets/headless/headless_ui.h"

namespace qvx {
namespace {

using sim::ipv4;

class PingTest : public ::testing::Test {
 protected:
  PingTest()
      : root_(std::filesystem::temp_directory_path() /
              (std::string("qvx-ping-") +
               ::testing::UnitTest::GetInstance()->current_test_info()->name())),
        os_(std::make_unique<sim::SimPlatform>(root_)),
        library_(std::make_unique<IcmpLibrary>(os_->platform(), ui_)),
        pinger_(*library_) {}
  ~PingTest() override { std::filesystem::remove_all(root_); }

  sim::SimIcmp& icmp() { return os_->icmp; }
  sim::SimSockets& sockets() { return os_->sockets; }
  bool ping(const std::string& host, std::uint8_t data_size = 32) {
    return pinger_.ping(host, reply_, 64, 2500, data_size);
  }
  // Ends the "process": the library goes, the simulated machine stays.
  void end_library() { library_.reset(); }

  std::filesystem::path root_;
  widgets::HeadlessUi ui_;
  std::unique_ptr<sim::SimPlatform> os_;
  std::unique_ptr<IcmpLibrary> library_;
  _CPING pinger_;
  ping_reply reply_{0xDEADBEEF, 4242};
};

TEST_F(PingTest, DottedAddressIsProbedWithoutLookup) {
  icmp().set_round_trip("10.0.0.7", 12);
  ASSERT_TRUE(ping("10.0.0.7"));
  EXPECT_EQ(reply_.reply_address, ipv4("10.0.0.7"));
  EXPECT_EQ(reply_.round_trip_ms, 12u);
  EXPECT_EQ(sockets().lookups("10.0.0.7"), 0);

  const auto requests = icmp().requests();
  ASSERT_EQ(requests.size(), 1u);
  EXPECT_EQ(requests[0].address, ipv4("10.0.0.7"));
  EXPECT_EQ(requests[0].payload, std::string(32, 'E'));
  EXPECT_EQ(requests[0].ttl, 64);
  EXPECT_EQ(requests[0].timeout_ms, 2500u);
  EXPECT_EQ(requests[0].reply_buffer_size, 28u + 32u + 8u);
  EXPECT_EQ(icmp().open_handles(), 0);
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(PingTest, ReplyBufferHoldsTheDataAndAnIcmpError) {
  icmp().set_round_trip("127.0.0.1", 0);
  ASSERT_TRUE(ping("127.0.0.1", 0));
  ASSERT_TRUE(ping("127.0.0.1", 8));
  ASSERT_TRUE(ping("127.0.0.1", 255));
  const auto requests = icmp().requests();
  ASSERT_EQ(requests.size(), 3u);
  EXPECT_EQ(requests[0].reply_buffer_size, 36u);
  EXPECT_EQ(requests[1].reply_buffer_size, 44u);
  EXPECT_EQ(requests[2].reply_buffer_size, 28u + 255u + 8u);
}

TEST_F(PingTest, HostNameIsResolvedToItsFirstAddress) {
  sockets().add_host("node1.quovix.test", "10.1.2.3");
  icmp().set_round_trip("10.1.2.3", 5);
  ASSERT_TRUE(ping("node1.quovix.test"));
  EXPECT_EQ(reply_.reply_address, ipv4("10.1.2.3"));
  EXPECT_EQ(icmp().probes("10.1.2.3"), 1);
  EXPECT_EQ(sockets().lookups("node1.quovix.test"), 1);
}

TEST_F(PingTest, UnresolvableNameShowsItsMessageAtEveryProbe) {
  EXPECT_FALSE(ping("nowhere.quovix.test"));
  EXPECT_FALSE(ping("nowhere.quovix.test"));
  const auto boxes = ui_.boxes();
  ASSERT_EQ(boxes.size(), 2u);
  EXPECT_EQ(boxes[0].text, "无法解析主机名：nowhere.quovix.test");
  EXPECT_EQ(boxes[0].caption, "ERROR");
  EXPECT_EQ(boxes[0].owner, "");
  EXPECT_EQ(boxes[0].type, widgets::kMbOk);
  EXPECT_EQ(icmp().total_probes(), 0);
  EXPECT_EQ(reply_.reply_address, 0xDEADBEEFu);  // untouched on failure
}

TEST_F(PingTest, BoxesAppearOnTheCallingThread) {
  std::thread worker([&] { EXPECT_FALSE(ping("nowhere.quovix.test")); });
  worker.join();
  const auto boxes = ui_.boxes();
  ASSERT_EQ(boxes.size(), 1u);
  EXPECT_FALSE(boxes[0].on_gui_thread);
}

TEST_F(PingTest, EchoMustCarryExactlyThePayloadSent) {
  sim::SimIcmp::Host short_reply;
  short_reply.data_size = 31;
  icmp().set_host("10.0.0.1", short_reply);
  sim::SimIcmp::Host long_reply;
  long_reply.data_size = 33;
  icmp().set_host("10.0.0.2", long_reply);
  sim::SimIcmp::Host altered;
  altered.wrong_byte = 17;
  icmp().set_host("10.0.0.3", altered);

  for (const char* host : {"10.0.0.1", "10.0.0.2", "10.0.0.3"}) {
    SCOPED_TRACE(host);
    icmp().set_last_error(0);
    EXPECT_FALSE(ping(host));
    EXPECT_EQ(icmp().last_error(), 59u);
    EXPECT_EQ(reply_.round_trip_ms, 4242u);
  }
  EXPECT_EQ(icmp().open_handles(), 0);
}

TEST_F(PingTest, NonZeroStatusBecomesTheLastError) {
  sim::SimIcmp::Host unreachable;
  unreachable.status = 11003;
  icmp().set_host("10.0.0.4", unreachable);
  EXPECT_FALSE(ping("10.0.0.4"));
  EXPECT_EQ(icmp().last_error(), 11003u);
}

TEST_F(PingTest, WithoutExactlyOneReplyTheSystemsErrorStays) {
  icmp().lose("10.0.0.5");
  EXPECT_FALSE(ping("10.0.0.5"));
  EXPECT_EQ(icmp().last_error(), sim::kIpReqTimedOut);

  sim::SimIcmp::Host twice;
  twice.replies = 2;
  icmp().set_host("10.0.0.6", twice);
  icmp().set_last_error(1234);
  EXPECT_FALSE(ping("10.0.0.6"));
  EXPECT_EQ(icmp().last_error(), 1234u);
  EXPECT_EQ(icmp().open_handles(), 0);
  EXPECT_TRUE(ui_.boxes().empty());
}

TEST_F(PingTest, InvalidHandleIsReportedAtEveryProbe) {
  icmp().invalidate_handles();
  EXPECT_FALSE(ping("127.0.0.1"));
  EXPECT_FALSE(ping("127.0.0.1"));
  EXPECT_EQ(ui_.box_texts(), (std::vector<std::string>{"无效的'ICMP'句柄", "无效的'ICMP'句柄"}));
  EXPECT_EQ(icmp().total_probes(), 0);
}

// The exception belongs to the caller; the handle opened for the request does not.
TEST_F(PingTest, EchoThatThrowsStillClosesItsHandle) {
  icmp().set_round_trip("10.0.0.7", 12);
  icmp().throw_next();
  EXPECT_THROW(ping("10.0.0.7"), std::runtime_error);
  EXPECT_EQ(icmp().total_probes(), 1);
  EXPECT_EQ(icmp().open_handles(), 0);
  EXPECT_TRUE(ping("10.0.0.7"));
}

TEST_F(PingTest, LibraryIsBoundOncePerProcessAndReleasedAtTheEnd) {
  _CPING other(*library_);
  icmp().set_round_trip("127.0.0.1", 0);
  icmp().set_round_trip("127.0.0.2", 0);
  ASSERT_TRUE(ping("127.0.0.1"));
  ASSERT_TRUE(other.ping("127.0.0.2", reply_, 64, 1000, 32));
  EXPECT_EQ(icmp().loads(), 1);
  EXPECT_EQ(sockets().startups(), 1);
  EXPECT_EQ(sockets().active(), 1);

  end_library();
  EXPECT_EQ(icmp().unloads(), 1);
  EXPECT_EQ(sockets().active(), 0);
  EXPECT_EQ(sockets().unmatched_cleanups(), 0);
}

TEST_F(PingTest, UnloadableLibraryIsReportedOnce) {
  icmp().make_unloadable();
  for (int i = 0; i < 5; ++i) EXPECT_FALSE(ping("127.0.0.1"));
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>{"无法载入'ICMP.DLL'"});
  EXPECT_EQ(ui_.boxes()[0].caption, "ERROR");
  EXPECT_EQ(icmp().loads(), 1);
  EXPECT_EQ(icmp().total_probes(), 0);

  end_library();
  EXPECT_EQ(icmp().unloads(), 0);  // nothing was loaded
  EXPECT_EQ(sockets().active(), 0);
}

TEST_F(PingTest, MissingEntryPointsAreReportedOnceAndTheLibraryStillReleased) {
  icmp().remove_entry_points();
  EXPECT_FALSE(ping("127.0.0.1"));
  EXPECT_FALSE(pinger_.load_icmp());
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>{"'ICMP.DLL'中函数无效"});
  end_library();
  EXPECT_EQ(icmp().unloads(), 1);
}

TEST_F(PingTest, FailedSocketStartIsReportedOnceAndNeverCleanedUp) {
  sockets().fail_startup(true);
  EXPECT_FALSE(ping("127.0.0.1"));
  EXPECT_FALSE(ping("127.0.0.1"));
  EXPECT_EQ(ui_.box_texts(), std::vector<std::string>{"WinSock版本不匹配"});
  EXPECT_EQ(icmp().loads(), 0);
  end_library();
  EXPECT_EQ(sockets().cleanups(), 0);
  EXPECT_EQ(sockets().unmatched_cleanups(), 0);
}

TEST_F(PingTest, ThreadsLoadingTogetherSeeOneAttempt) {
  icmp().make_unloadable();
  std::vector<std::thread> threads;
  for (int i = 0; i < 4; ++i) threads.emplace_back([&] { EXPECT_FALSE(pinger_.load_icmp()); });
  for (auto& t : threads) t.join();
  EXPECT_EQ(icmp().loads(), 1);
  EXPECT_EQ(ui_.boxes().size(), 1u);
}

}  // namespace
}  // namespace qvx
