#include "platform/sim/sim_sockets.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_icmp.h"
#include "verify/network_identification.h"

namespace qvx::sim {
namespace {

TEST(SimAddressText, AcceptsTheFormsOfInetAddr) {
  EXPECT_EQ(address_to_dotted(ipv4("1.2.3.4")), "1.2.3.4");
  EXPECT_EQ(address_to_dotted(ipv4("127.1")), "127.0.0.1");
  EXPECT_EQ(address_to_dotted(ipv4("10.1.258")), "10.1.1.2");
  EXPECT_EQ(address_to_dotted(ipv4("0x7f.0.0.1")), "127.0.0.1");
  EXPECT_EQ(address_to_dotted(ipv4("010.0.0.1")), "8.0.0.1");
  EXPECT_EQ(address_to_dotted(ipv4("3232235777")), "192.168.1.1");
  for (const char* bad : {"", "1.2.3.256", "1.2.3.4.5", "1..2.3", "1.2.3.", "a.b.c.d", "08.1.1.1",
                          "0x", "1.2.3.4 ", "4294967296", "1.16777216"}) {
    EXPECT_FALSE(parse_ipv4(bad)) << bad;
  }
  SimSockets s;
  EXPECT_EQ(s.inet_addr("node.quovix.test"), platform::kInaddrNone);
  EXPECT_EQ(s.inet_ntoa(s.inet_addr("192.168.0.10")), "192.168.0.10");
}

TEST(SimSocketsTest, NamesResolveOnlyWhileStartedAndFromTheTable) {
  SimSockets s;
  s.add_host("Node.Quovix.Test", "10.0.0.9");
  EXPECT_FALSE(s.resolve("localhost"));  // not started
  std::uint16_t version = 0;
  ASSERT_TRUE(s.startup(1, 1, version));
  EXPECT_EQ(version, 0x0101);
  EXPECT_EQ(s.resolve("localhost"), ipv4("127.0.0.1"));
  EXPECT_EQ(s.resolve("node.quovix.test"), ipv4("10.0.0.9"));
  EXPECT_FALSE(s.resolve("other.quovix.test"));
  s.remove_host("node.quovix.test");
  EXPECT_FALSE(s.resolve("node.quovix.test"));
  EXPECT_EQ(s.lookups("NODE.quovix.test"), 2);
  s.cleanup();
  EXPECT_FALSE(s.resolve("localhost"));
  s.cleanup();
  EXPECT_EQ(s.cleanups(), 1);
  EXPECT_EQ(s.unmatched_cleanups(), 1);
}

TEST(SimSocketsTest, StartUpsAreCountedAndObtainTheLowerVersion) {
  SimSockets s;
  std::uint16_t version = 0;
  ASSERT_TRUE(s.startup(2, 0, version));
  EXPECT_EQ(version, 0x0002);  // wVersion: major in the low byte
  s.set_highest_version(1, 1);
  ASSERT_TRUE(s.startup(2, 0, version));
  EXPECT_EQ(version, 0x0101);
  ASSERT_TRUE(s.startup(1, 0, version));
  EXPECT_EQ(version, 0x0001);
  EXPECT_EQ(s.active(), 3);
  s.cleanup();
  EXPECT_EQ(s.active(), 2);  // still started: ws2_32 counts its users
  s.fail_startup(true);
  EXPECT_FALSE(s.startup(2, 0, version));
  EXPECT_EQ(s.startups(), 3);
}

// The local address query wants version 2.0 and a host name that resolves.
TEST(SimSocketsTest, MachineNameAndAddressFeedTheLocalAddressQuery) {
  SimSockets s;
  EXPECT_EQ(local_address_or_default(s), "192.168.1.5");
  s.set_machine("DESK-7", "10.2.3.4");
  EXPECT_EQ(local_address_or_default(s), "10.2.3.4");
  s.set_highest_version(1, 1);
  EXPECT_EQ(local_address_or_default(s), "127.0.0.0");
  s.set_highest_version(2, 2);
  s.set_machine("", "");
  EXPECT_EQ(local_address_or_default(s), "127.0.0.0");
  s.set_machine("DESK-8", "");
  EXPECT_EQ(local_address_or_default(s), "127.0.0.0");
  EXPECT_EQ(s.lookups("DESK-8"), 1);
  EXPECT_FALSE(s.resolve("DESK-7"));  // the old name went with its entry
  EXPECT_EQ(s.active(), 0);
  EXPECT_EQ(s.unmatched_cleanups(), 0);
}

// gethostbyname("") answers with the machine's own address.
TEST(SimSocketsTest, EmptyNameResolvesToThisMachine) {
  SimSockets s;
  std::uint16_t version = 0;
  ASSERT_TRUE(s.startup(1, 1, version));
  EXPECT_EQ(s.resolve(""), ipv4("192.168.1.5"));
  s.set_machine("", "");
  EXPECT_FALSE(s.resolve(""));
  s.cleanup();
}

TEST(SimIcmpTest, SetHostsAnswerAndUnsetHostsTimeOut) {
  SimIcmp icmp;
  ASSERT_TRUE(icmp.load_library());
  ASSERT_TRUE(icmp.bind_entry_points());
  const auto handle = icmp.open_handle();
  ASSERT_TRUE(handle);
  platform::EchoReply reply;
  icmp.set_round_trip("127.0.0.9", 0);
  EXPECT_EQ(icmp.send_echo(*handle, ipv4("127.0.0.9"), "EEEE", 64, 1000, 40, reply), 1u);
  EXPECT_EQ(reply.data, "EEEE");
  EXPECT_EQ(reply.data_size, 4u);
  EXPECT_EQ(icmp.send_echo(*handle, ipv4("127.0.0.1"), "EEEE", 64, 1000, 40, reply), 0u);
  EXPECT_EQ(icmp.last_error(), kIpReqTimedOut);
  icmp.set_round_trip("10.0.0.2", 1500);
  EXPECT_EQ(icmp.send_echo(*handle, ipv4("10.0.0.2"), "EEEE", 64, 1000, 40, reply), 0u);
  EXPECT_EQ(icmp.send_echo(*handle, ipv4("10.0.0.2"), "EEEE", 64, 2000, 40, reply), 1u);
  EXPECT_EQ(reply.round_trip_ms, 1500u);
  // An echo longer than the buffer says so in its size but brings only what fits.
  SimIcmp::Host longer;
  longer.data_size = 16;
  icmp.set_host("10.0.0.3", longer);
  EXPECT_EQ(icmp.send_echo(*handle, ipv4("10.0.0.3"), "EEEE", 64, 1000, 40, reply), 1u);
  EXPECT_EQ(reply.data_size, 16u);
  EXPECT_EQ(reply.data, std::string(12, 'E'));
  icmp.close_handle(*handle);
  EXPECT_EQ(icmp.send_echo(*handle, ipv4("127.0.0.1"), "EEEE", 64, 1000, 40, reply), 0u);
  EXPECT_EQ(icmp.last_error(), kErrorInvalidHandle);
}

}  // namespace
}  // namespace qvx::sim
