// A Windows whose ANSI code page is not GBK (UTF-8 here): the client's entries still go through
// RAS under their own names, so it finds and removes what it left behind.
#include "connection_fixture.h"
#include "machines.h"

namespace qvx::testing {
namespace {

class Utf8CodePage : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    os.ip_helper.remove_adapter(2);  // the fixture's LAN: this machine brings its own
    f1().local_ip = build_machine(os, {"utf8_codepage"});
  }
};

TEST_F(Utf8CodePage, CleanUpFindsAndDeletesItsOwnEntries) {
  os.ras.add_entry("Quovix加速10001");  // left behind by a run that crashed
  os.ras.add_entry("Office VPN");
  connect();
  ASSERT_TRUE(connected());
  const auto deleted = os.ras.calls_of(sim::SimRas::Call::DeleteEntry);
  ASSERT_FALSE(deleted.empty());
  EXPECT_EQ(deleted.front().name, "Quovix加速10001");
  EXPECT_EQ(deleted.front().result, 0u);
  ASSERT_EQ(os.ras.entry_names().size(), 2u) << "the new entry and the other program's";
  EXPECT_EQ(os.ras.entry_names()[0], "Office VPN");

  hang_up();
  EXPECT_TRUE(idle());
  EXPECT_EQ(os.ras.entry_names(), std::vector<std::string>{"Office VPN"});
}

}  // namespace
}  // namespace qvx::testing
