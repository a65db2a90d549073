#include "connect/dial_class.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

#include "platform/sim/sim_ip_helper.h"
#include "platform/sim/sim_ras.h"

namespace qvx {
namespace {

using Call = sim::SimRas::Call;
using platform::RasHandle;

std::string brand(const std::string& rest) {
  return std::string(kBrandPrefix) + rest;
}

class DialClassTest : public ::testing::Test {
 protected:
  DialClassTest() : ras(adapters), dialer(ras) { dialer.set_os_version(601); }

  error_message expect_throw(const std::function<void()>& f) {
    try {
      f();
    } catch (const error_message& e) {
      return e;
    }
    ADD_FAILURE() << "no error_message thrown";
    return {};
  }

  RasHandle dial_ok(const std::string& entry, int strategy = 1) {
    RasHandle h = 0;
    EXPECT_EQ(dialer.dial("vpn.example.test", "alice", "PW", entry, h, strategy, 3), 0);
    return h;
  }

  // Index of the first recorded call matching, or -1.
  int call_index(Call call, const std::string& name = "", RasHandle handle = 0) {
    const auto calls = ras.calls();
    for (std::size_t i = 0; i < calls.size(); ++i) {
      if (calls[i].call == call && (name.empty() || calls[i].name == name) &&
          (handle == 0 || calls[i].handle == handle))
        return static_cast<int>(i);
    }
    return -1;
  }

  bool has_entry(const std::string& name) { return ras.entry(name).has_value(); }

  sim::SimIpHelper adapters;
  sim::SimRas ras;
  Dial_class dialer;
};

TEST(BrandPrefix, ComparesTheLeadingGbkBytes) {
  EXPECT_EQ(std::strlen(kBrandPrefix), 10u);  // 6 ASCII + two GBK double-byte characters
  EXPECT_EQ(std::string(kBrandPrefix), "Quovix\xBC\xD3\xCB\xD9");
  EXPECT_TRUE(has_brand_prefix(brand("")));
  EXPECT_TRUE(has_brand_prefix(brand("4711")));
  EXPECT_TRUE(has_brand_prefix(brand(" anything")));
  EXPECT_FALSE(has_brand_prefix("Quovix"));
  EXPECT_FALSE(has_brand_prefix("Quovix\xBC\xD3"));
  EXPECT_FALSE(has_brand_prefix("quovix\xBC\xD3\xCB\xD9"));
  EXPECT_FALSE(has_brand_prefix(" " + brand("1")));
  EXPECT_FALSE(has_brand_prefix(""));
}

TEST_F(DialClassTest, NullHandleIsStepThreeWithoutCallingRas) {
  RasHandle none = 0;
  std::uint32_t in = 7, out = 9;
  auto e = expect_throw([&] { dialer.hang_up(none); });
  EXPECT_EQ(e.step, 3);
  EXPECT_EQ(e.ras_error, 0);
  e = expect_throw([&] { dialer.statistics(0, in, out); });
  EXPECT_EQ(e.step, 3);
  EXPECT_EQ(e.ras_error, 0);
  EXPECT_EQ(dialer.connect_status(0), platform::kRasDisconnected);
  EXPECT_TRUE(ras.calls().empty());
  EXPECT_EQ(in, 7u);
  EXPECT_EQ(out, 9u);
}

TEST_F(DialClassTest, DialWritesTheVpnEntryAndBringsUpTheTunnel) {
  ras.entry_record_size = 3480;
  RasHandle out = 0;
  ASSERT_EQ(dialer.dial("10.1.2.3", "alice", "0123456789ABCDEF012345678", brand("4711"), out, 3, 3),
            0);
  ASSERT_NE(out, 0u);
  EXPECT_EQ(dialer.connection, out);

  const auto set = ras.calls_of(Call::SetEntry);
  ASSERT_EQ(set.size(), 1u);
  EXPECT_EQ(set[0].name, brand("4711"));
  EXPECT_EQ(set[0].entry_size, 3480u);
  const platform::RasEntry& e = set[0].entry;
  EXPECT_EQ(e.options, 0x390D0210u);
  EXPECT_EQ(e.options2, 111u);
  EXPECT_EQ(e.phone_number, "10.1.2.3");
  EXPECT_EQ(e.net_protocols, 4u);
  EXPECT_EQ(e.framing_protocol, 1u);  // RASFP_Ppp
  EXPECT_EQ(e.device_type, "vpn");
  EXPECT_EQ(e.device_name, "PPPoE");
  EXPECT_EQ(e.dial_mode, 1u);
  EXPECT_EQ(e.type, 2u);
  EXPECT_EQ(e.encryption_type, 3u);
  EXPECT_EQ(e.vpn_strategy, 3u);

  const auto dial = ras.calls_of(Call::Dial);
  ASSERT_EQ(dial.size(), 1u);
  EXPECT_EQ(dial[0].name, brand("4711"));
  EXPECT_EQ(dial[0].user, "alice");
  EXPECT_EQ(dial[0].password, "0123456789ABCDEF012345678");
  EXPECT_STREQ(dialer.server_address, "10.1.2.3");
  EXPECT_STREQ(dialer.dial_user, "alice");

  EXPECT_EQ(dialer.connect_status(out), platform::kRasConnected);
  std::vector<platform::Adapter> list;
  ASSERT_TRUE(adapters.adapters(list));
  ASSERT_EQ(list.size(), 1u);
  EXPECT_EQ(list[0].index, 23u);
  EXPECT_EQ(list[0].type, platform::kIfTypePpp);
  EXPECT_EQ(list[0].gateways, std::vector<std::string>{"0.0.0.0"});
  // The entry stays while the line is up.
  EXPECT_TRUE(has_entry(brand("4711")));
}

TEST_F(DialClassTest, DialClearsEarlierBrandConnectionsAndEntriesButNoOneElses) {
  ras.add_entry(brand("111"));
  ras.add_entry(brand(" from another tool"));
  ras.add_entry("Office VPN");
  ras.add_entry("My " + brand("1"));
  const RasHandle old = ras.add_connection(brand("111"));
  const RasHandle office = ras.add_connection("Office VPN");

  const RasHandle h = dial_ok(brand("222"));

  const int written = call_index(Call::SetEntry, brand("222"));
  ASSERT_GE(written, 0);
  const int hung = call_index(Call::HangUp, "", old);
  ASSERT_GE(hung, 0);
  EXPECT_LT(hung, written);
  EXPECT_LT(call_index(Call::DeleteEntry, brand("111")), written);
  EXPECT_LT(call_index(Call::DeleteEntry, brand(" from another tool")), written);
  EXPECT_EQ(call_index(Call::HangUp, "", office), -1);
  EXPECT_EQ(call_index(Call::DeleteEntry, "Office VPN"), -1);
  EXPECT_EQ(call_index(Call::DeleteEntry, "My " + brand("1")), -1);

  EXPECT_EQ(ras.entry_names(),
            (std::vector<std::string>{"Office VPN", "My " + brand("1"), brand("222")}));
  const auto conns = ras.connection_list();
  ASSERT_EQ(conns.size(), 2u);
  EXPECT_EQ(conns[0].handle, office);
  EXPECT_EQ(conns[1].handle, h);
}

TEST_F(DialClassTest, CleanUpTakesDownOwnLineAndEntriesOfAnyProgram) {
  ras.add_entry(brand(""));
  ras.add_entry("Quovix");
  const RasHandle h = dial_ok(brand("5"));
  ras.add_connection("Office VPN");
  ASSERT_EQ(dialer.clean_up(), 0);
  EXPECT_EQ(dialer.connection, 0u);
  EXPECT_FALSE(ras.connection(h).has_value());
  EXPECT_EQ(ras.entry_names(), std::vector<std::string>{"Quovix"});
  std::vector<platform::Adapter> list;
  EXPECT_FALSE(adapters.adapters(list));  // tunnel adapter gone with the line
  EXPECT_EQ(ras.connection_list().size(), 1u);
}

TEST_F(DialClassTest, CleanUpHangsUpItsOwnHandleWhenTheListingMissesIt) {
  const RasHandle h = dial_ok(brand("5"));
  ras.fail_next(Call::Connections, 87);  // reports nothing
  ASSERT_EQ(dialer.clean_up(), 0);
  EXPECT_EQ(dialer.connection, 0u);
  EXPECT_FALSE(ras.connection(h).has_value());
  EXPECT_TRUE(ras.entry_names().empty());
}

TEST_F(DialClassTest, HangUpFailuresAreStepFour) {
  RasHandle h = dial_ok(brand("5"));
  const RasHandle kept = h;

  ras.fail_next(Call::HangUp, 668);
  auto e = expect_throw([&] { dialer.hang_up(h); });
  EXPECT_EQ(e.step, 4);
  EXPECT_EQ(e.ras_error, 668);
  EXPECT_EQ(h, kept);  // a later attempt retries the same handle
  EXPECT_EQ(dialer.connection, kept);

  // During clean-up the refused handle is forgotten anyway.
  ras.fail_next(Call::HangUp, 668);
  e = expect_throw([&] { dialer.clean_up(); });
  EXPECT_EQ(e.step, 4);
  EXPECT_EQ(dialer.connection, 0u);

  ASSERT_EQ(dialer.hang_up(h), 0);
  EXPECT_EQ(h, 0u);
  EXPECT_TRUE(ras.entry_names().empty());
}

TEST_F(DialClassTest, HangUpRemovesOnlyBrandEntries) {
  ras.add_entry("Office VPN");
  ras.add_entry(brand("old"));
  RasHandle h = dial_ok(brand("5"));
  ras.add_entry(brand("late"));
  ASSERT_EQ(dialer.hang_up(h), 0);
  EXPECT_EQ(h, 0u);
  EXPECT_EQ(dialer.connection, 0u);
  EXPECT_EQ(ras.entry_names(), std::vector<std::string>{"Office VPN"});
  EXPECT_TRUE(ras.connection_list().empty());
}

TEST_F(DialClassTest, HangUpListingFailureComesAfterTheHandleIsCleared) {
  RasHandle h = dial_ok(brand("5"));
  ras.fail_next(Call::Entries, 1722);
  auto e = expect_throw([&] { dialer.hang_up(h); });
  EXPECT_EQ(e.step, 9);
  EXPECT_EQ(e.ras_error, 1722);
  EXPECT_EQ(h, 0u);
  e = expect_throw([&] { dialer.hang_up(h); });
  EXPECT_EQ(e.step, 3);
}

TEST_F(DialClassTest, OnlyARefusedDeletionStops) {
  ras.add_entry(brand("a"));
  ras.add_entry(brand("b"));
  ras.fail_next(Call::DeleteEntry, 5, 1, brand("a"));
  auto e = expect_throw([&] { dialer.clean_up(); });
  EXPECT_EQ(e.step, 7);
  EXPECT_EQ(e.ras_error, 5);
  EXPECT_TRUE(has_entry(brand("b")));  // stopped at the refusal

  ras.fail_next(Call::DeleteEntry, 1234, 1, brand("a"));
  ASSERT_EQ(dialer.clean_up(), 0);
  EXPECT_EQ(ras.entry_names(), std::vector<std::string>{brand("a")});

  // A refusal while hanging up stops hang_up too, after the line is down.
  RasHandle h = dial_ok(brand("c"));
  ras.fail_next(Call::DeleteEntry, 5, 1, brand("c"));
  e = expect_throw([&] { dialer.hang_up(h); });
  EXPECT_EQ(e.step, 7);
  EXPECT_EQ(h, 0u);
  EXPECT_FALSE(ras.connection(dialer.connection).has_value());
}

TEST_F(DialClassTest, FailedDialLeavesNothingBehind) {
  ras.add_entry("Office VPN");
  ras.fail_next(Call::Dial, 691);
  RasHandle out = 0;
  auto e = expect_throw([&] { dialer.dial("1.2.3.4", "u", "p", brand("9"), out, 1, 3); });
  EXPECT_EQ(e.step, 2);
  EXPECT_EQ(e.ras_error, 691);
  EXPECT_EQ(out, 0u);
  EXPECT_EQ(dialer.connection, 0u);
  EXPECT_EQ(ras.entry_names(), std::vector<std::string>{"Office VPN"});
  EXPECT_TRUE(ras.connection_list().empty());  // the half-made line was hung up
}

TEST_F(DialClassTest, CleanUpFailureAfterAFailedDialIsWhatTheCallerSees) {
  ras.fail_next(Call::Dial, 678);
  ras.fail_next(Call::HangUp, 5);
  RasHandle out = 0;
  auto e = expect_throw([&] { dialer.dial("1.2.3.4", "u", "p", brand("9"), out, 1, 3); });
  EXPECT_EQ(e.step, 4);
  EXPECT_EQ(e.ras_error, 5);
}

TEST_F(DialClassTest, EntryWriteFailureIsStepOneAndNothingIsDialled) {
  ras.fail_next(Call::SetEntry, 621);
  RasHandle out = 0;
  auto e = expect_throw([&] { dialer.dial("1.2.3.4", "u", "p", brand("9"), out, 1, 3); });
  EXPECT_EQ(e.step, 1);
  EXPECT_EQ(e.ras_error, 621);

  // A size query that answers nothing leaves a zero size, which RAS refuses.
  ras.fail_next(Call::EntrySize, 87);
  e = expect_throw([&] { dialer.dial("1.2.3.4", "u", "p", brand("9"), out, 1, 3); });
  EXPECT_EQ(e.step, 1);
  EXPECT_EQ(e.ras_error, 632);
  EXPECT_TRUE(ras.calls_of(Call::Dial).empty());
}

TEST_F(DialClassTest, CleanUpErrorsBeforeTheWritePassThrough) {
  ras.add_entry(brand("old"));
  ras.fail_next(Call::Entries, 1);
  RasHandle out = 0;
  auto e = expect_throw([&] { dialer.dial("1.2.3.4", "u", "p", brand("9"), out, 1, 3); });
  EXPECT_EQ(e.step, 9);
  EXPECT_TRUE(ras.calls_of(Call::SetEntry).empty());
}

TEST_F(DialClassTest, VanishedLineReadsDisconnectedAndIsForgotten) {
  const RasHandle h = dial_ok(brand("5"));
  EXPECT_EQ(dialer.connect_status(h), platform::kRasConnected);
  ras.drop(h);
  EXPECT_EQ(dialer.connect_status(h), platform::kRasDisconnected);
  EXPECT_EQ(dialer.connection, 0u);
  std::vector<platform::Adapter> list;
  EXPECT_FALSE(adapters.adapters(list));
  // The link monitor's clean-up then only has the entry left to remove.
  ASSERT_EQ(dialer.clean_up(), 0);
  EXPECT_TRUE(ras.entry_names().empty());
}

TEST_F(DialClassTest, EntryListingBufferDependsOnTheVersion) {
  for (std::uint32_t version : {500u, 501u, 599u, 600u, 601u, 1000u}) {
    ras.clear_calls();
    dialer.set_os_version(version);
    EXPECT_EQ(dialer.os_version_number, version);
    ASSERT_EQ(dialer.clean_up(), 0);
    const auto listed = ras.calls_of(Call::Entries);
    ASSERT_EQ(listed.size(), 1u);
    EXPECT_EQ(listed[0].pass_buffer, version < 600) << version;
  }
}

TEST_F(DialClassTest, LongTextsAreCutAt99Bytes) {
  const std::string address(150, 'a'), user(120, 'u'), password(99, 'p');
  RasHandle out = 0;
  ASSERT_EQ(dialer.dial(address, user, password, brand("1"), out, 1, 3), 0);
  EXPECT_EQ(std::string(dialer.server_address), std::string(99, 'a'));
  EXPECT_EQ(std::string(dialer.dial_user), std::string(99, 'u'));
  EXPECT_EQ(std::string(dialer.dial_password), password);
  EXPECT_EQ(ras.calls_of(Call::SetEntry)[0].entry.phone_number, std::string(99, 'a'));
  const auto dial = ras.calls_of(Call::Dial)[0];
  EXPECT_EQ(dial.user, std::string(99, 'u'));
  EXPECT_EQ(dial.password, password);

  // A shorter text later leaves no tail of the longer one.
  dialer.hang_up(out);
  ASSERT_EQ(dialer.dial("b", "v", "q", brand("2"), out, 1, 3), 0);
  EXPECT_STREQ(dialer.server_address, "b");
  EXPECT_STREQ(dialer.dial_user, "v");
  EXPECT_STREQ(dialer.dial_password, "q");
}

TEST_F(DialClassTest, StatisticsReportBothCounters) {
  const RasHandle h = dial_ok(brand("5"));
  ras.set_counters(h, 1000, 500);
  std::uint32_t in = 0, out = 0;
  ASSERT_EQ(dialer.statistics(h, in, out), 0);
  EXPECT_EQ(in, 1000u + ras.received_per_query);
  EXPECT_EQ(out, 500u + ras.sent_per_query);

  ras.fail_next(Call::Statistics, 635);
  in = out = 1;
  auto e = expect_throw([&] { dialer.statistics(h, in, out); });
  EXPECT_EQ(e.step, 8);
  EXPECT_EQ(e.ras_error, 635);
  EXPECT_EQ(in, 1u);
  EXPECT_EQ(out, 1u);
}

}  // namespace
}  // namespace qvx
