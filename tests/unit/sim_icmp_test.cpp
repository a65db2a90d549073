// The simulated ICMP library holds callers to the reply buffer its profile documents.
#include "platform/sim/sim_icmp.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_sockets.h"

namespace qvx::sim {
namespace {

class SimIcmpBufferTest : public ::testing::Test {
 protected:
  SimIcmpBufferTest() {
    icmp.load_library();
    icmp.bind_entry_points();
    icmp.set_round_trip("10.0.0.9", 3);
  }
  std::uint32_t send(std::size_t buffer_size) {
    const auto handle = icmp.open_handle();
    const std::uint32_t replies = icmp.send_echo(*handle, ipv4("10.0.0.9"), std::string(32, 'E'),
                                                 64, 1000, buffer_size, reply);
    icmp.close_handle(*handle);
    return replies;
  }

  SimIcmp icmp;
  platform::EchoReply reply;
};

TEST_F(SimIcmpBufferTest, VistaAndLaterWantsRoomForTheDataAndAnIcmpError) {
  EXPECT_EQ(send(28 + 32 + 8), 1u);
  EXPECT_EQ(reply.data, std::string(32, 'E'));
  // The size the client used to pass: the data fits, the ICMP error would not.
  EXPECT_EQ(send(28 + 32), 0u);
  EXPECT_EQ(icmp.last_error(), kErrorInsufficientBuffer);
  EXPECT_EQ(send(28 + 32 + 7), 0u);
  EXPECT_EQ(icmp.last_error(), kErrorInsufficientBuffer);
}

TEST_F(SimIcmpBufferTest, XpLikeTakesTheRecordAndEightBytes) {
  icmp.profile = WindowsProfile::XpLike;
  EXPECT_EQ(send(28 + 32), 1u);
  EXPECT_EQ(send(28 + 8), 1u);
  EXPECT_EQ(reply.data_size, 32u);
  EXPECT_EQ(reply.data, std::string(8, 'E'));  // cut at the end of the buffer
  EXPECT_EQ(send(28 + 7), 0u);
  EXPECT_EQ(icmp.last_error(), kIpBufTooSmall);
}

}  // namespace
}  // namespace qvx::sim
