#include "platform/sim/sim_ras.h"

#include <gtest/gtest.h>

#include "platform/sim/sim_ip_helper.h"

namespace qvx::sim {
namespace {

using Call = SimRas::Call;

// An entry with every member RasSetEntryProperties requires.
platform::RasEntry vpn_entry() {
  platform::RasEntry e;
  e.options = 0x10;
  e.phone_number = "10.0.0.1";
  e.framing_protocol = 1;
  e.device_type = "vpn";
  e.device_name = "PPPoE";
  e.type = 2;
  return e;
}

class SimRasTest : public ::testing::Test {
 protected:
  SimRasTest() : ras(adapters) {}
  SimIpHelper adapters;
  SimRas ras;
};

TEST_F(SimRasTest, BehavesLikeTheRealServiceWhereTheDialerDependsOnIt) {
  std::uint32_t size = 0;
  EXPECT_EQ(ras.entry_size(size), platform::kRasBufferTooSmall);
  EXPECT_EQ(size, ras.entry_record_size);
  EXPECT_EQ(ras.set_entry("e", vpn_entry(), size - 1), platform::kRasInvalidSize);

  platform::RasHandle h = 0;
  EXPECT_EQ(ras.dial("absent", "u", "p", h), platform::kRasEntryNotFound);
  EXPECT_EQ(ras.delete_entry("absent"), platform::kRasEntryNotFound);

  ASSERT_EQ(ras.set_entry("e", vpn_entry(), size), 0u);
  ASSERT_EQ(ras.dial("e", "u", "p", h), 0u);
  platform::RasHandle second = 0;
  ASSERT_EQ(ras.dial("e", "u", "p", second), 0u);
  std::vector<platform::Adapter> list;
  ASSERT_TRUE(adapters.adapters(list));
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].index, 23u);
  EXPECT_NE(list[0].index, list[1].index);

  std::uint32_t in = 0, out = 0, in2 = 0, out2 = 0;
  ASSERT_EQ(ras.statistics(h, in, out), 0u);
  ASSERT_EQ(ras.statistics(h, in2, out2), 0u);
  EXPECT_GT(in2, in);
  EXPECT_GT(out2, out);

  ASSERT_EQ(ras.hang_up(h), 0u);
  EXPECT_EQ(ras.hang_up(h), platform::kRasInvalidHandle);
  std::uint32_t state = 0;
  EXPECT_EQ(ras.connect_status(h, state), platform::kRasInvalidHandle);
  ASSERT_TRUE(adapters.adapters(list));
  EXPECT_EQ(list.size(), 1u);
  EXPECT_EQ(ras.entry_names(), std::vector<std::string>{"e"});  // hang-up keeps the entry
}

TEST_F(SimRasTest, EntryWithoutARequiredMemberIsRefusedFromVistaOn) {
  const std::uint32_t size = ras.entry_record_size;
  const std::vector<std::pair<const char*, void (*)(platform::RasEntry&)>> gaps = {
      {"phone", [](platform::RasEntry& e) { e.phone_number.clear(); }},
      {"device name", [](platform::RasEntry& e) { e.device_name.clear(); }},
      {"device type", [](platform::RasEntry& e) { e.device_type.clear(); }},
      {"framing", [](platform::RasEntry& e) { e.framing_protocol = 0; }},
      {"unknown framing", [](platform::RasEntry& e) { e.framing_protocol = 3; }},
      {"type", [](platform::RasEntry& e) { e.type = 0; }},
  };
  for (const auto& [what, clear] : gaps) {
    SCOPED_TRACE(what);
    platform::RasEntry e = vpn_entry();
    clear(e);
    EXPECT_EQ(ras.set_entry("e", e, size), 87u);
  }
  EXPECT_TRUE(ras.entry_names().empty());

  ras.profile = WindowsProfile::XpLike;
  EXPECT_EQ(ras.set_entry("e", {}, size), 0u);
  EXPECT_EQ(ras.entry_names(), std::vector<std::string>{"e"});
}

TEST_F(SimRasTest, FaultsCountDownAndCanAimAtOneName) {
  ras.add_entry("a");
  ras.add_entry("b");
  ras.fail_next(Call::DeleteEntry, 5, 2, "b");
  EXPECT_EQ(ras.delete_entry("b"), 5u);
  EXPECT_EQ(ras.delete_entry("a"), 0u);
  EXPECT_EQ(ras.delete_entry("b"), 5u);
  EXPECT_EQ(ras.delete_entry("b"), 0u);

  ras.fail_next(Call::ConnectStatus, 668, -1);
  std::uint32_t state = 0;
  for (int i = 0; i < 3; ++i) EXPECT_EQ(ras.connect_status(1, state), 668u);
  ras.clear_failures();
  EXPECT_EQ(ras.connect_status(1, state), platform::kRasInvalidHandle);

  const auto deletes = ras.calls_of(Call::DeleteEntry);
  ASSERT_EQ(deletes.size(), 4u);
  EXPECT_EQ(deletes[0].result, 5u);
  EXPECT_EQ(deletes[1].name, "a");
}

TEST_F(SimRasTest, FailedDialLeavesAHalfMadeConnectionUntilHungUp) {
  ras.add_entry("e");
  ras.fail_next(Call::Dial, 691);
  platform::RasHandle h = 0;
  EXPECT_EQ(ras.dial("e", "u", "p", h), 691u);
  ASSERT_NE(h, 0u);
  std::vector<platform::RasConnection> conns;
  ras.connections(conns);
  ASSERT_EQ(conns.size(), 1u);
  EXPECT_EQ(conns[0].entry_name, "e");
  std::vector<platform::Adapter> list;
  EXPECT_FALSE(adapters.adapters(list));
  EXPECT_EQ(ras.hang_up(h), 0u);
  ras.connections(conns);
  EXPECT_TRUE(conns.empty());
}

// The client's names reach the phone book whatever the ANSI code page; another program's entry
// written through the A function is stored as that code page read its bytes.
TEST_F(SimRasTest, NamesKeepTheirFormOnlyThroughTheWideFunctions) {
  const std::string name = "Quovix加速10001";
  ras.set_code_page(65001);
  EXPECT_EQ(ras.set_entry(name, vpn_entry(), ras.entry_record_size), 0u);
  std::vector<std::string> names;
  EXPECT_EQ(ras.entries(false, names), 0u);
  EXPECT_EQ(names, std::vector<std::string>{name});
  EXPECT_EQ(ras.delete_entry(name), 0u);

  ras.add_ansi_entry(name);
  EXPECT_EQ(ras.delete_entry(name), platform::kRasEntryNotFound);
  ras.set_code_page(936);
  ras.add_ansi_entry("Quovix加速10002");
  EXPECT_EQ(ras.delete_entry("Quovix加速10002"), 0u);
}

}  // namespace
}  // namespace qvx::sim
