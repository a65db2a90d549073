// A hung-up connection that RAS is still taking down: the simulated RAS keeps it listed and its
// port busy for a while, and every hang-up of the dialer waits, bounded, until it is gone.
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "connect/dial_class.h"
#include "platform/sim/sim_ip_helper.h"
#include "platform/sim/sim_ras.h"

namespace qvx {
namespace {

using Call = sim::SimRas::Call;
using platform::RasHandle;
using std::chrono::milliseconds;
using Clock = std::chrono::steady_clock;

const std::string kEntry = std::string(kBrandPrefix) + "42";

class HangUpWaitTest : public ::testing::Test {
 protected:
  HangUpWaitTest() : ras(adapters), dialer(ras) {
    dialer.set_os_version(601);
    ras.hang_up_linger = milliseconds(300);
  }
  std::uint32_t dial(RasHandle& h) {
    try {
      return static_cast<std::uint32_t>(dialer.dial("vpn.example.test", "u", "p", kEntry, h, 1, 3));
    } catch (const error_message& e) {
      return static_cast<std::uint32_t>(e.ras_error);
    }
  }
  static long long ms_since(Clock::time_point t) {
    return std::chrono::duration_cast<milliseconds>(Clock::now() - t).count();
  }
  sim::SimIpHelper adapters;
  sim::SimRas ras;
  Dial_class dialer;
};

TEST_F(HangUpWaitTest, TheSimulatedRasKeepsAHungUpConnectionForItsLingerAndItsPortBusy) {
  ras.add_entry(kEntry);
  RasHandle h = 0;
  ASSERT_EQ(ras.dial(kEntry, "u", "p", h), 0u);
  ASSERT_EQ(ras.hang_up(h), 0u);
  std::uint32_t state = 0;
  EXPECT_EQ(ras.connect_status(h, state), 0u);
  EXPECT_EQ(state, platform::kRasDisconnected);
  std::vector<platform::RasConnection> listed;
  ras.connections(listed);
  EXPECT_EQ(listed.size(), 1u);
  RasHandle again = 0;
  EXPECT_EQ(ras.dial(kEntry, "u", "p", again), 633u) << "the port is still busy";

  std::this_thread::sleep_for(milliseconds(350));
  EXPECT_EQ(ras.connect_status(h, state), platform::kRasInvalidHandle);
  ras.connections(listed);
  EXPECT_TRUE(listed.empty());
  EXPECT_EQ(ras.dial(kEntry, "u", "p", again), 0u);
}

// Each way the dialer hangs up: its own connection, one of ours it finds listed, and the
// half-made line of a refused dial. The same entry can be dialled straight after.
TEST_F(HangUpWaitTest, EveryHangUpOfTheDialerWaitsUntilTheHandleIsInvalid) {
  RasHandle h = 0;
  ASSERT_EQ(dial(h), 0u);
  auto start = Clock::now();
  dialer.hang_up(h);
  EXPECT_GE(ms_since(start), 300);
  EXPECT_TRUE(ras.connection_list().empty());
  ASSERT_EQ(dial(h), 0u) << "dialled again at once";

  dialer.connection = 0;  // the handle is only listed now, as after a restart
  start = Clock::now();
  ASSERT_EQ(dial(h), 0u) << "the clean-up before the dial hung the listed one up and waited";
  EXPECT_GE(ms_since(start), 300);

  ras.failed_dials_listed = false;
  ras.fail_next(Call::Dial, 678);
  start = Clock::now();
  EXPECT_EQ(dial(h), 678u);
  EXPECT_GE(ms_since(start), 2 * 300) << "the clean-up's hang-up and the half-made line's";
  EXPECT_TRUE(ras.connection_list().empty());
  EXPECT_EQ(dial(h), 0u);
}

TEST_F(HangUpWaitTest, TheWaitIsBoundedAndPolls) {
  ras.hang_up_linger = milliseconds(10000);
  RasHandle h = 0;
  ASSERT_EQ(dial(h), 0u);
  ras.clear_calls();
  const auto start = Clock::now();
  dialer.hang_up(h);
  EXPECT_GE(ms_since(start), 2900);
  EXPECT_LT(ms_since(start), 4500);
  const auto polls = ras.calls_of(Call::ConnectStatus).size();
  EXPECT_GT(polls, 10u);
  EXPECT_LT(polls, 200u) << "a busy loop";
}

}  // namespace
}  // namespace qvx
