// The dialer over the real rasapi32 interface against the test double: record sizes, entry
// fields, the "buffer too small" retries, failures and a vanished line, read back from the
// double's call log and phone book.
#include <string>
#include <vector>

#include "tests/win32/ras/ras_double_fixture.h"

namespace qvx::ras_test {
namespace {

using DialerTest = RasDoubleTest;

std::string n(unsigned value) {
  return std::to_string(value);
}

bool ends_with(const std::string& line, const std::string& end) {
  return line.size() >= end.size() && line.compare(line.size() - end.size(), end.size(), end) == 0;
}

// An old brand line and entries are up, another program's are too: the dial clears ours,
// writes the entry with every field, dials; then status, counters, hang-up and clean-up.
TEST_F(DialerTest, WholeSession) {
  seed({"entry Office%20VPN phone=1.1.1.1", "entry " + brand("123"),
        "entry " + brand("%20other%20tool"), "conn 100 Office%20VPN", "conn 101 " + brand("123")});
  _putenv("QVX_RAS_ENTRY_SIZE=5684");
  dialer.set_os_version(601);
  platform::RasHandle handle = 0;
  dialer.dial("10.0.0.5", "alice", "0123456789ABCDEF012345678", brand("4711"), handle, 1, 3);
  EXPECT_EQ(handle, 4097u);
  EXPECT_EQ(dialer.connect_status(handle), 8192u);
  EXPECT_EQ(dialer.connection, 4097u);
  std::uint32_t rx = 0, tx = 0;
  dialer.statistics(handle, rx, tx);
  EXPECT_EQ(rx, 2048u);
  EXPECT_EQ(tx, 512u);
  dialer.statistics(handle, rx, tx);
  EXPECT_EQ(rx, 4096u);
  EXPECT_EQ(tx, 1024u);
  dialer.hang_up(handle);
  EXPECT_EQ(handle, 0u);
  dialer.clean_up();
  EXPECT_EQ(dialer.connection, 0u);

  // Two connections do not fit one RASCONNA record: 603, then a block of the reported size.
  const std::string conn = n(kConnSize), two = n(2 * kConnSize);
  EXPECT_TRUE(logged("RasEnumConnectionsW buf=set cb=" + conn + " dwSize=" + conn +
                     " out_cb=" + two + " out_count=2 -> 603"))
      << log_text();
  EXPECT_TRUE(logged("RasEnumConnectionsW buf=set cb=" + two + " dwSize=" + conn +
                     " out_cb=" + two + " out_count=2 -> 0"));
  EXPECT_TRUE(logged(
      "RasEnumEntriesW reserved=null pbk=null buf=null cb=0 out_cb=2096 out_count=2 -> 603"));
  EXPECT_TRUE(
      logged("RasEnumEntriesW reserved=null pbk=null buf=set cb=2096 dwSize=1048 "
             "out_cb=2096 out_count=2 -> 0"));
  const std::string set =
      "RasSetEntryPropertiesW pbk=null entry=" + brand("4711") +
      " cb=5684 devinfo=null devsize=0 dwSize=5684 devname=PPPoE devtype=vpn dialmode=1 "
      "encryption=3 framing=1 options=0x390D0210 options2=111 phone=10.0.0.5 protocols=4 "
      "size=5684 strategy=1 stray=0 type=2 -> 0";
  EXPECT_TRUE(
      logged("RasGetEntryPropertiesW pbk=null entry=null buf=null devinfo=null "
             "devsize=null cb=0 out_size=5684 -> 603"));
  EXPECT_TRUE(logged(set));
  EXPECT_TRUE(logged("RasDialW dialing=1 ext=null pbk=null notifiertype=0 notifier=null dwSize=" +
                     n(kDialSize) + " entry=" + brand("4711") +
                     " phone= callback= user=alice password=0123456789ABCDEF012345678 domain= "
                     "subentry=0 callbackid=0 out_handle=4097 -> 0"));
  EXPECT_TRUE(in_order("RasHangUpW handle=101 -> 0", set));
  EXPECT_TRUE(in_order("RasDeleteEntryW pbk=null entry=" + brand("123") + " -> 0", set));
  EXPECT_TRUE(
      in_order("RasDeleteEntryW pbk=null entry=" + brand("%20other%20tool") + " -> 0", set));
  EXPECT_TRUE(logged("RasGetConnectStatusW handle=4097 dwSize=564 out_state=8192 -> 0"));
  EXPECT_TRUE(
      logged("RasGetConnectionStatistics handle=4097 dwSize=60 out_rx=4096 out_tx=1024 -> 0"));
  EXPECT_TRUE(logged("RasHangUpW handle=4097 -> 0"));
  EXPECT_TRUE(logged("RasDeleteEntryW pbk=null entry=" + brand("4711") + " -> 0"));
  EXPECT_TRUE(logged_starting("RasHangUpW handle=100 ").empty());
  EXPECT_TRUE(logged_starting("RasDeleteEntryW pbk=null entry=Office").empty());
  EXPECT_TRUE(no_size_errors()) << log_text();
  EXPECT_EQ(state_starting("entry "), std::vector<std::string>{"entry Office%20VPN phone=1.1.1.1"});
  const auto lines = state_starting("conn ");
  ASSERT_EQ(lines.size(), 1u) << "only the other program's line is left";
  EXPECT_EQ(lines[0].rfind("conn 100 ", 0), 0u) << lines[0];
}

// Before Vista the first entry listing is handed a one-record buffer (and a size of 0), and
// the entry is written at the default size with strategy 3.
TEST_F(DialerTest, OldWindows) {
  seed({"entry " + brand("1")});
  dialer.set_os_version(501);
  platform::RasHandle handle = 0;
  dialer.dial("vpn.example.test", "bob", "pw", brand("7"), handle, 3, 3);
  EXPECT_EQ(handle, 4097u);
  dialer.hang_up(handle);
  EXPECT_EQ(handle, 0u);
  EXPECT_TRUE(
      logged("RasEnumEntriesW reserved=null pbk=null buf=set cb=0 dwSize=1048 out_cb=1048 "
             "out_count=1 -> 603"))
      << log_text();
  const auto set = logged_starting("RasSetEntryPropertiesW pbk=null entry=" + brand("7") + " ");
  ASSERT_EQ(set.size(), 1u);
  EXPECT_NE(set[0].find(" cb=5616 "), std::string::npos) << set[0];
  EXPECT_NE(set[0].find(" phone=vpn.example.test protocols=4 size=5616 strategy=3 "),
            std::string::npos)
      << set[0];
  EXPECT_TRUE(logged_starting("RasEnumEntriesW reserved=null pbk=null buf=null").empty());
  EXPECT_TRUE(no_size_errors()) << log_text();
  EXPECT_FALSE(state_holds_brand());
}

// A refused dial: the half-made line is hung up, the new entry removed, step 2 reported.
TEST_F(DialerTest, RefusedDial) {
  control({"fail RasDialW 691"});
  dialer.set_os_version(601);
  platform::RasHandle handle = 0;
  try {
    dialer.dial("10.0.0.9", "carol", "pw", brand("9"), handle, 1, 3);
    FAIL() << "the refused dial was not reported";
  } catch (const error_message& e) {
    EXPECT_EQ(e.step, 2);
    EXPECT_EQ(e.ras_error, 691);
  }
  EXPECT_TRUE(in_order("RasDialW dialing=1 ext=null pbk=null notifiertype=0 notifier=null dwSize=" +
                           n(kDialSize) + " entry=" + brand("9") +
                           " phone= callback= user=carol password=pw domain= subentry=0 "
                           "callbackid=0 out_handle=4097 -> 691",
                       "RasHangUpW handle=4097 -> 0"))
      << log_text();
  EXPECT_TRUE(logged("RasDeleteEntryW pbk=null entry=" + brand("9") + " -> 0"));
  EXPECT_FALSE(state_holds_brand());
}

// The line vanishes between two runs of the program: the status query fails, the handle is
// forgotten, and the counters report step 8.
TEST_F(DialerTest, VanishedLine) {
  dialer.set_os_version(601);
  platform::RasHandle handle = 0;
  dialer.dial("10.0.0.5", "dave", "pw", brand("5"), handle, 1, 3);
  ASSERT_EQ(handle, 4097u);
  control({"drop all"});
  win32::Win32Ras next_ras;
  Dial_class next(next_ras);
  next.set_os_version(601);
  next.connection = handle;
  EXPECT_EQ(next.connect_status(handle), 8193u);
  EXPECT_EQ(next.connection, 0u);
  try {
    std::uint32_t rx = 0, tx = 0;
    next.statistics(handle, rx, tx);
    ADD_FAILURE() << "the counters of a vanished line were read";
  } catch (const error_message& e) {
    EXPECT_EQ(e.step, 8);
    EXPECT_EQ(e.ras_error, 6);
  }
  next.clean_up();
  EXPECT_EQ(next.connection, 0u);
  EXPECT_TRUE(logged("RasGetConnectStatusW handle=4097 dwSize=564 -> 6")) << log_text();
  EXPECT_FALSE(state_holds_brand());
}

// Only a refused deletion stops the clean-up; the next clean-up finishes it.
TEST_F(DialerTest, RefusedDeletion) {
  seed({"entry " + brand("1"), "entry Office"});
  control({"fail RasDeleteEntryW 5"});
  dialer.set_os_version(601);
  try {
    dialer.clean_up();
    FAIL() << "the refused deletion was not reported";
  } catch (const error_message& e) {
    EXPECT_EQ(e.step, 7);
    EXPECT_EQ(e.ras_error, 5);
  }
  dialer.clean_up();
  EXPECT_EQ(dialer.connection, 0u);
  EXPECT_EQ(state_starting("entry "), std::vector<std::string>{"entry Office"});
}

// Listings that claim far more records than they wrote are read only as far as they fit.
TEST_F(DialerTest, OvercountedListings) {
  seed({"entry " + brand("1"), "entry " + brand("2"), "entry " + brand("3"), "entry Office",
        "conn 200 " + brand("1"), "conn 201 " + brand("2"), "conn 202 Office"});
  control({"overcount 1000"});
  dialer.set_os_version(501);
  dialer.clean_up();
  EXPECT_EQ(dialer.connection, 0u);
  EXPECT_TRUE(logged("RasEnumConnectionsW buf=set cb=" + n(3 * kConnSize) + " dwSize=" +
                     n(kConnSize) + " out_cb=" + n(3 * kConnSize) + " out_count=1003 -> 0"))
      << log_text();
  EXPECT_EQ(logged_starting("RasHangUpW ").size(), 2u);
  EXPECT_TRUE(
      logged("RasEnumEntriesW reserved=null pbk=null buf=set cb=2096 dwSize=1048 "
             "out_cb=2096 out_count=1002 -> 0"));
  EXPECT_EQ(logged_starting("RasDeleteEntryW ").size(), 3u) << "one deletion per brand entry";
  EXPECT_TRUE(logged_starting("RasHangUpW handle=202 ").empty());
  const auto left = state();
  EXPECT_NE(std::find(left.begin(), left.end(), "entry Office"), left.end());
  EXPECT_EQ(std::count_if(left.begin(), left.end(),
                          [](const std::string& l) { return l.rfind("conn 202 ", 0) == 0; }),
            1);
}

// Listings that outgrow their block between two calls are asked again until they fit.
TEST_F(DialerTest, GrowingConnectionListing) {
  seed({"conn 100 Office", "conn 101 " + brand("1")});
  control({"grow 3"});
  dialer.set_os_version(601);
  dialer.clean_up();
  int refused = 0;
  for (const auto& line : logged_starting("RasEnumConnectionsW ")) {
    refused += ends_with(line, " -> 603");
  }
  EXPECT_EQ(refused, 4) << log_text();
  EXPECT_TRUE(logged("RasHangUpW handle=101 -> 0"));
}

TEST_F(DialerTest, GrowingEntryListing) {
  seed({"entry " + brand("1"), "entry Office"});
  control({"grow 2"});
  dialer.set_os_version(601);
  dialer.clean_up();
  EXPECT_TRUE(logged("RasDeleteEntryW pbk=null entry=" + brand("1") + " -> 0")) << log_text();
  EXPECT_TRUE(state_has("entry Office")) << "another program's entry was touched";
  EXPECT_FALSE(state_holds_brand());
}

// Every third dial fails with a code picked from the list by the seed, in this program and
// the next (the count lives in the double's state); returns what the failed dials met as
// "INJECTED RESULT" pairs.
class PeriodicFailureTest : public RasDoubleTest {
 protected:
  static std::vector<std::string> run(const std::string& seed);
};

std::vector<std::string> PeriodicFailureTest::run(const std::string& seed) {
  control({"fail_every 3 691 633 678 " + seed});
  for (int dials : {4, 2}) {
    win32::Win32Ras ras;
    Dial_class dialer(ras);
    dialer.set_os_version(601);
    for (int i = 0; i < dials; ++i) {
      platform::RasHandle handle = 0;
      try {
        dialer.dial("10.0.0.9", "carol", "pw", brand("9"), handle, 1, 3);
        dialer.hang_up(handle);
      } catch (const error_message&) {
      }
    }
    if (dials == 2) dialer.clean_up();
  }
  std::vector<std::string> pairs;
  for (const auto& line : log()) {
    const auto at = line.find(" injected=");
    if (line.rfind("RasDialW ", 0) != 0 || at == std::string::npos) continue;
    const auto code = line.substr(at + 10, line.find(' ', at + 10) - at - 10);
    pairs.push_back(code + " " + line.substr(line.rfind("-> ") + 3));
  }
  return pairs;
}

TEST_F(PeriodicFailureTest, TheThirdAndSixthDialsFailWithTheirInjectedCodes) {
  const auto pairs = run("7");
  const auto dials = logged_starting("RasDialW ");
  ASSERT_EQ(dials.size(), 6u) << log_text();
  for (std::size_t i = 0; i < dials.size(); ++i) {
    const bool injected = dials[i].find(" injected=") != std::string::npos;
    EXPECT_EQ(injected, i == 2 || i == 5) << dials[i];
    EXPECT_EQ(ends_with(dials[i], " -> 0"), !injected) << dials[i];
  }
  ASSERT_EQ(pairs.size(), 2u);
  for (const auto& pair : pairs) {
    const std::string code = pair.substr(0, pair.find(' '));
    EXPECT_EQ(pair, code + " " + code) << "a failed dial met another code than injected";
    EXPECT_TRUE(code == "691" || code == "633" || code == "678") << code;
  }
  const auto kept = state();
  EXPECT_NE(std::find(kept.begin(), kept.end(), "dials 6"), kept.end())
      << "the dial count is not kept";
  EXPECT_EQ(lines_of("ras_double_live.txt"), std::vector<std::string>{"connections=0 entries=0"});

  reset();
  EXPECT_EQ(run("7"), pairs) << "the same seed picked other codes";
  reset();
  EXPECT_NE(run("8"), pairs) << "seeds 7 and 8 picked the same codes";
}

// A hung-up connection Windows is still taking down stays listed and reads as disconnected,
// and its entry's port is busy until its handle turns invalid: the dialer waits for that
// before it dials again, so the second dial goes through.
TEST_F(DialerTest, RedialWaitsForTheHangUp) {
  seed({"linger 1500"});
  dialer.set_os_version(601);
  platform::RasHandle handle = 0;
  dialer.dial("10.0.0.5", "alice", "pw", brand("4711"), handle, 1, 3);
  dialer.hang_up(handle);
  EXPECT_EQ(handle, 0u);
  dialer.dial("10.0.0.5", "alice", "pw", brand("4711"), handle, 1, 3);
  EXPECT_EQ(handle, 4098u);
  bool disconnected = false;
  std::size_t gone = log().size(), redial = log().size();
  const auto all = log();
  for (std::size_t i = 0; i < all.size(); ++i) {
    const auto& line = all[i];
    if (line.rfind("RasGetConnectStatusW handle=4097 ", 0) == 0) {
      disconnected |= line.find(" out_state=8193 -> 0") != std::string::npos;
      if (ends_with(line, " -> 6")) gone = std::min(gone, i);
    }
    if (line.rfind("RasDialW ", 0) == 0 &&
        line.find(" out_handle=4098 -> 0") != std::string::npos) {
      redial = i;
    }
  }
  EXPECT_TRUE(disconnected) << "no disconnected state while taken down\n" << log_text();
  EXPECT_LT(gone, redial) << "dialled again before the handle went\n" << log_text();
  for (const auto& line : all) EXPECT_EQ(line.find(" -> 633"), std::string::npos) << line;
}

}  // namespace
}  // namespace qvx::ras_test
