// The RAS rules of the model of Windows, on a clock the test moves: the simulated machine and
// the Wine double both answer with these.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/sim/model/ras_buffers.h"
#include "platform/sim/model/ras_connections.h"
#include "platform/sim/model/ras_phonebook.h"

namespace qvx::model {
namespace {

using sim::WindowsProfile;

TEST(RasBuffersTest, ListingsAnswerTheSizeTheyNeed) {
  std::uint32_t cb = 0, count = 0;
  EXPECT_EQ(fit_listing(false, cb, 532, 3, count), ras::kBufferTooSmall) << "size query";
  EXPECT_EQ(cb, 3u * 532);
  EXPECT_EQ(count, 3u);

  cb = 532;
  EXPECT_EQ(fit_listing(false, cb, 532, 3, count), ras::kInvalidBuffer) << "a size, no buffer";
  cb = 3 * 532 - 1;
  EXPECT_EQ(fit_listing(true, cb, 532, 3, count), ras::kBufferTooSmall);
  EXPECT_EQ(cb, 3u * 532);
  cb = 4 * 532;
  EXPECT_EQ(fit_listing(true, cb, 532, 3, count), 0u);
  EXPECT_EQ(cb, 3u * 532) << "lpcb comes back as the size used";

  cb = 0;
  EXPECT_EQ(fit_listing(false, cb, 704, 0, count), 0u) << "nothing to list needs no buffer";
  EXPECT_EQ(count, 0u);

  cb = 47;
  EXPECT_EQ(fit_record(true, cb, 48), ras::kBufferTooSmall);
  EXPECT_EQ(cb, 48u);
  EXPECT_EQ(fit_record(false, cb, 48), ras::kBufferTooSmall);
  EXPECT_EQ(fit_record(true, cb, 48), 0u);
}

struct Entry {
  std::string name;
  int version = 0;
};

TEST(RasPhoneBookTest, EntriesAreChangedInPlaceAndDeletedByName) {
  RasPhoneBook<Entry> book;
  book.put({"a", 1});
  book.put({"b", 1});
  book.put({"a", 2});
  EXPECT_EQ(book.names(), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(book.find("a")->version, 2);

  EXPECT_EQ(book.remove("c"), ras::kEntryNotFound);
  EXPECT_EQ(book.remove(""), ras::kInvalidName);
  EXPECT_EQ(book.remove(std::string(kMaxEntryName + 1, 'a')), ras::kInvalidName);
  EXPECT_EQ(book.remove("a"), 0u);
  EXPECT_EQ(book.names(), std::vector<std::string>{"b"});
}

TEST(RasPhoneBookTest, AnEntryMustBeTheKnownSizeAndNamedWithinTheLimit) {
  platform::RasEntry vpn;
  vpn.phone_number = "10.0.0.1";
  vpn.device_type = "vpn";
  vpn.device_name = "WAN Miniport (PPTP)";
  vpn.framing_protocol = 1;
  vpn.type = 2;
  const auto vista = WindowsProfile::VistaAndLater;
  std::uint32_t size = 0;
  EXPECT_EQ(entry_size_query(3480, size), ras::kBufferTooSmall);
  EXPECT_EQ(size, 3480u);

  EXPECT_EQ(check_entry("e", vpn, 3480, 3480, 3480, vista), 0u);
  EXPECT_EQ(check_entry("e", vpn, 2884, 3480, 3480, vista), ras::kInvalidSize);
  EXPECT_EQ(check_entry("e", vpn, 3480, 3479, 3480, vista), ras::kInvalidSize)
      << "a record longer than its buffer";
  EXPECT_EQ(check_entry(std::string(kMaxEntryName, 'e'), vpn, 3480, 3480, 3480, vista), 0u);
  EXPECT_EQ(check_entry(std::string(kMaxEntryName + 1, 'e'), vpn, 3480, 3480, 3480, vista),
            ras::kInvalidName);
  EXPECT_EQ(check_entry("", {}, 3480, 3480, 3480, WindowsProfile::XpLike), ras::kInvalidName);
}

class RasConnectionsTest : public ::testing::Test {
 protected:
  RasConnectionsTest() { ras.linger = 1000; }
  std::uintptr_t dial(const std::string& entry) {
    EXPECT_EQ(ras.may_dial(entry, true, now), 0u);
    return ras.connect(entry, "10.0.0.1", now);
  }
  RasConnections ras{0x1001};
  std::uint64_t now = 50000;
};

TEST_F(RasConnectionsTest, AHungUpConnectionKeepsItsPortUntilItIsTakenDown) {
  EXPECT_EQ(ras.may_dial("e", false, now), ras::kEntryNotFound);
  const std::uintptr_t h = dial("e");
  EXPECT_EQ(h, 0x1001u);
  ASSERT_EQ(ras.hang_up(h, now), 0u);

  std::uint32_t state = 0;
  EXPECT_EQ(ras.connect_status(h, now + 999, state), 0u);
  EXPECT_EQ(state, ras::kDisconnected);
  EXPECT_EQ(ras.listing(now + 999).size(), 1u);
  EXPECT_EQ(ras.may_dial("e", true, now + 999), ras::kPortNotAvailable);
  EXPECT_EQ(ras.may_dial("other", true, now + 999), 0u);
  EXPECT_EQ(ras.projection(h, ras::kProjectionPppIp, now + 999), ras::kProjectionNotComplete);
  EXPECT_EQ(ras.hang_up(h, now + 500), 0u) << "a second hang-up succeeds";

  EXPECT_EQ(ras.connect_status(h, now + 1000, state), ras::kInvalidHandle)
      << "the second hang-up restarted the take-down";
  EXPECT_TRUE(ras.listing(now + 1000).empty());
  EXPECT_EQ(ras.may_dial("e", true, now + 1000), 0u);
  EXPECT_EQ(ras.hang_up(h, now + 1000), ras::kInvalidHandle);

  ras.linger = 0;
  const std::uintptr_t at_once = dial("e");
  ASSERT_EQ(ras.hang_up(at_once, now), 0u);
  EXPECT_EQ(ras.connect_status(at_once, now, state), ras::kInvalidHandle);
}

TEST_F(RasConnectionsTest, AFailedDialLeavesAHandleToHangUp) {
  const std::uintptr_t shown = ras.dial_failed("e", true);
  const std::uintptr_t hidden = ras.dial_failed("e", false);
  EXPECT_NE(shown, hidden);
  const auto listed = ras.listing(now);
  ASSERT_EQ(listed.size(), 1u);
  EXPECT_EQ(listed[0].handle, shown);
  EXPECT_EQ(ras.held(now).size(), 2u);

  std::uint32_t state = 0;
  EXPECT_EQ(ras.connect_status(hidden, now, state), 0u);
  EXPECT_EQ(state, ras::kDisconnected);
  EXPECT_EQ(ras.projection(hidden, ras::kProjectionPppIp, now), ras::kProjectionNotComplete);
  EXPECT_EQ(ras.hang_up(hidden, now), 0u);
}

TEST_F(RasConnectionsTest, QueriesOfAConnectionThatIsUp) {
  const std::uintptr_t h = dial("e");
  EXPECT_EQ(ras.projection(h, ras::kProjectionPppIp, now), 0u);
  EXPECT_EQ(ras.projection(h, 0x803F, now), ras::kProtocolNotConfigured) << "RASP_PppCcp";
  EXPECT_EQ(ras.find(h, now)->phone_number, "10.0.0.1");

  ras.find(h, now)->received = 0xFFFFFF00u;
  std::uint32_t in = 0, out = 0;
  ASSERT_EQ(ras.statistics(h, now, 0x200, 10, in, out), 0u);
  EXPECT_EQ(in, 0x100u) << "the 32-bit counter wraps";
  EXPECT_EQ(out, 10u);

  EXPECT_TRUE(ras.drop(h));
  EXPECT_EQ(ras.statistics(h, now, 1, 1, in, out), ras::kInvalidHandle);
  EXPECT_EQ(ras.projection(h, ras::kProjectionPppIp, now), ras::kInvalidHandle);
  EXPECT_FALSE(ras.drop(h));
}

}  // namespace
}  // namespace qvx::model
