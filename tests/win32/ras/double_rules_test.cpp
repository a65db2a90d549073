// The test double's own rules, straight through RAS: what it refuses as Windows does, so that
// the dialer's checks against it mean something.
#include <string>
#include <vector>

#include "platform/win32/ras_api.h"
#include "tests/win32/ras/ras_double_fixture.h"

namespace qvx::ras_test {
namespace {

using DoubleRulesTest = RasDoubleTest;

// Records one size off from what RAS expects are refused with 632.
TEST_F(DoubleRulesTest, RecordsOfAWrongSizeAreRefused) {
  using namespace qvx::win32;
  RasConnW conns[2] = {};
  conns[0].dwSize = sizeof(RasConnW) + 16;
  DWORD bytes = sizeof conns, count = 0;
  EXPECT_EQ(RasEnumConnectionsW(conns, &bytes, &count), 632u);
  RasDialParamsW params{};
  params.dwSize = sizeof(RasDialParamsW) + 4;
  HANDLE h = nullptr;
  EXPECT_EQ(RasDialW(nullptr, nullptr, &params, 0, nullptr, &h), 632u);
  RasEntryNameW names[1] = {};
  names[0].dwSize = sizeof(RasEntryNameW) - 12;
  bytes = sizeof names;
  EXPECT_EQ(RasEnumEntriesW(nullptr, nullptr, names, &bytes, &count), 632u);
}

// The client's entry as it was written before it named its framing protocol.
std::uint32_t write_entry_without_framing(win32::Win32Ras& ras) {
  platform::RasEntry entry;
  entry.options = 0x390D0210;
  entry.phone_number = "10.0.0.5";
  entry.net_protocols = 4;
  entry.device_type = "vpn";
  entry.device_name = "PPPoE";
  entry.type = 2;
  std::uint32_t size = 0;
  ras.entry_size(size);
  return ras.set_entry(brand("0"), entry, size);
}

// Windows from Vista on refuses an entry without the members the caller must set; the
// XP-like profile still takes it.
TEST_F(DoubleRulesTest, AnEntryWithoutFramingIsRefusedFromVistaOn) {
  EXPECT_EQ(write_entry_without_framing(ras), 87u);
  EXPECT_TRUE(state_starting("entry ").empty()) << "the refused entry was stored";
}

TEST_F(DoubleRulesTest, TheXpProfileTakesAnEntryWithoutFraming) {
  seed({"profile xp"});
  EXPECT_EQ(write_entry_without_framing(ras), 0u);
  bool stored = false;
  for (const auto& line : state()) {
    stored |= line.rfind("entry " + brand("0") + " ", 0) == 0 &&
              line.find(" framing=0 ") != std::string::npos;
  }
  EXPECT_TRUE(stored) << "the XP-like profile refused the entry";
}

// While a hung-up connection is being taken down it reads as disconnected, a dial on its
// entry is refused with 633 and a second hang-up does not restart its clock; after the linger
// its handle is invalid and the entry dials again.
TEST_F(DoubleRulesTest, AHungUpConnectionLingers) {
  seed({"linger 1200", "entry " + brand("7") + " phone=10.0.0.7"});
  platform::RasHandle handle = 0;
  ASSERT_EQ(ras.dial(brand("7"), "alice", "pw", handle), 0u);
  EXPECT_EQ(handle, 4097u);
  EXPECT_EQ(ras.hang_up(handle), 0u);
  std::uint32_t state = 0;
  EXPECT_EQ(ras.connect_status(handle, state), 0u);
  EXPECT_EQ(state, 8193u);
  platform::RasHandle second = 0;
  EXPECT_EQ(ras.dial(brand("7"), "alice", "pw", second), 633u);
  EXPECT_EQ(second, 0u);
  Sleep(700);
  EXPECT_EQ(ras.hang_up(handle), 0u);
  Sleep(700);
  state = 0;
  EXPECT_EQ(ras.connect_status(handle, state), 6u) << "the second hang-up restarted the clock";
  EXPECT_EQ(ras.dial(brand("7"), "alice", "pw", second), 0u);
  EXPECT_EQ(second, 4098u);
}

}  // namespace
}  // namespace qvx::ras_test
