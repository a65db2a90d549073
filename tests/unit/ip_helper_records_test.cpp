#include "platform/win32/ip_helper_records.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <functional>
#include <utility>
#include <vector>

namespace qvx {
namespace {

// Stand-ins with the members, names and order of the SDK's records that the mapping uses.
struct Row {
  std::uint32_t dwForwardDest, dwForwardMask, dwForwardPolicy, dwForwardNextHop, dwForwardIfIndex,
      dwForwardType, dwForwardProto, dwForwardAge, dwForwardNextHopAS, dwForwardMetric1,
      dwForwardMetric2, dwForwardMetric3, dwForwardMetric4, dwForwardMetric5;
};

struct Table {
  std::uint32_t dwNumEntries;
  Row table[1];
};

struct AddrString {
  AddrString* Next;
  struct {
    char String[16];
  } IpAddress, IpMask;
  std::uint32_t Context;
};

struct AdapterInfo {
  AdapterInfo* Next;
  std::uint32_t ComboIndex;
  char AdapterName[260];
  std::uint32_t Index;
  std::uint32_t Type;
  AddrString* CurrentIpAddress;
  AddrString IpAddressList;
  AddrString GatewayList;
};

// One buffer as GetAdaptersInfo fills it: the adapters first, further addresses after them.
struct Buffer {
  AdapterInfo adapters[2];
  AddrString more[2];
  const char* begin() const { return reinterpret_cast<const char*>(this); }
  const char* end() const { return begin() + sizeof *this; }
};

void set(AddrString& a, const char* text) {
  std::strncpy(a.IpAddress.String, text, sizeof a.IpAddress.String);
}

TEST(IpHelperRecords, EveryRowFieldLandsInItsOwnMember) {
  platform::ForwardRow r;
  r.dest = 1, r.mask = 2, r.policy = 3, r.next_hop = 4, r.if_index = 5, r.type = 6, r.proto = 7;
  r.age = 8, r.next_hop_as = 9, r.metric1 = 10, r.metric2 = 11, r.metric3 = 12, r.metric4 = 13;
  r.metric5 = 14;
  const Row row = ip_records::to_native_row<Row>(r);
  const std::uint32_t fields[] = {
      row.dwForwardDest,      row.dwForwardMask,    row.dwForwardPolicy,  row.dwForwardNextHop,
      row.dwForwardIfIndex,   row.dwForwardType,    row.dwForwardProto,   row.dwForwardAge,
      row.dwForwardNextHopAS, row.dwForwardMetric1, row.dwForwardMetric2, row.dwForwardMetric3,
      row.dwForwardMetric4,   row.dwForwardMetric5};
  for (std::uint32_t i = 0; i < 14; ++i) EXPECT_EQ(fields[i], i + 1) << "member " << i;
}

// A routing table read back row for row, and never beyond its buffer whatever it counts.
TEST(IpHelperRecords, ForwardTableRowsRoundTripWithinTheBuffer) {
  struct {
    Table head;
    Row more[2];
  } buffer{};
  platform::ForwardRow r;
  for (std::uint32_t i = 0; i < 3; ++i) {
    r.dest = i + 1, r.if_index = 23, r.metric1 = 50 + i, r.metric5 = 7;
    (i == 0 ? buffer.head.table[0] : buffer.more[i - 1]) = ip_records::to_native_row<Row>(r);
  }
  const char* begin = reinterpret_cast<const char*>(&buffer);
  buffer.head.dwNumEntries = 3;
  auto rows = ip_records::forward_rows<Table, Row>(begin, begin + sizeof buffer);
  ASSERT_EQ(rows.size(), 3u);
  EXPECT_EQ(rows[2].dest, 3u);
  EXPECT_EQ(rows[2].metric1, 52u);
  EXPECT_EQ(rows[2].metric5, 7u);
  EXPECT_EQ(rows[0].if_index, 23u);

  buffer.head.dwNumEntries = 1000;
  EXPECT_EQ((ip_records::forward_rows<Table, Row>(begin, begin + sizeof buffer).size()), 3u);
  EXPECT_TRUE((ip_records::forward_rows<Table, Row>(begin, begin + 2).empty()));
}

TEST(IpHelperRecords, AdaptersAndTheirAddressChainsAreReadInOrder) {
  Buffer b{};
  b.adapters[0].Next = &b.adapters[1];
  b.adapters[0].Index = 2;
  b.adapters[0].Type = platform::kIfTypeEthernet;
  set(b.adapters[0].IpAddressList, "192.168.1.5");
  b.adapters[0].IpAddressList.Next = &b.more[0];
  set(b.more[0], "192.168.7.5");
  set(b.adapters[0].GatewayList, "192.168.1.1");
  b.adapters[1].Index = 5001;
  b.adapters[1].Type = platform::kIfTypePpp;
  set(b.adapters[1].IpAddressList, "10.8.0.2");
  set(b.adapters[1].GatewayList, "10.8.0.1");
  b.adapters[1].GatewayList.Next = &b.more[1];
  set(b.more[1], "0.0.0.0");

  const auto list = ip_records::adapter_list<AdapterInfo>(b.begin(), b.end());
  ASSERT_EQ(list.size(), 2u);
  EXPECT_EQ(list[0].index, 2u);
  EXPECT_EQ(list[0].addresses, (std::vector<std::string>{"192.168.1.5", "192.168.7.5"}));
  EXPECT_EQ(list[0].gateways, std::vector<std::string>{"192.168.1.1"});
  EXPECT_EQ(list[0].type, platform::kIfTypeEthernet);
  EXPECT_EQ(list[1].index, 5001u);
  EXPECT_EQ(list[1].type, platform::kIfTypePpp) << "the tunnel is told by its type too";
  EXPECT_EQ(list[1].addresses, std::vector<std::string>{"10.8.0.2"});
  EXPECT_EQ(list[1].gateways, (std::vector<std::string>{"10.8.0.1", "0.0.0.0"}));
}

TEST(IpHelperRecords, LinksOutOfTheBufferLoopsAndUnendedTextStayInside) {
  Buffer b{};
  AddrString outside{};
  set(outside, "6.6.6.6");
  b.adapters[0].Index = 1;
  std::memset(b.adapters[0].IpAddressList.IpAddress.String, '7', 16);  // no terminating zero
  std::memset(b.adapters[0].IpAddressList.IpMask.String, '8', 16);     // and more text after it
  b.adapters[0].IpAddressList.Next = &outside;
  b.adapters[0].GatewayList.Next = &b.adapters[0].GatewayList;  // a loop
  b.adapters[0].Next = &b.adapters[0];                          // so is this
  const auto list = ip_records::adapter_list<AdapterInfo>(b.begin(), b.end());
  ASSERT_EQ(list.size(), 256u);
  EXPECT_EQ(list[0].addresses, std::vector<std::string>{std::string(16, '7')});
  EXPECT_EQ(list[0].gateways.size(), 64u);

  // The last record must fit whole: a buffer cut inside the second adapter holds one.
  b.adapters[0].Next = &b.adapters[1];
  const auto cut = ip_records::adapter_list<AdapterInfo>(
      b.begin(), reinterpret_cast<const char*>(&b.adapters[1]) + sizeof(AdapterInfo) - 1);
  EXPECT_EQ(cut.size(), 1u);
}

// GetIpForwardTable as a script of answers: each (code, size it reports).
struct ScriptedTable {
  std::vector<std::pair<std::uint32_t, unsigned long>> answers;
  std::vector<std::size_t> offered;
  std::uint32_t operator()(char* data, unsigned long& size) {
    offered.push_back(size);
    const auto [code, needed] = answers.at(offered.size() - 1);
    if (code == 0) std::memset(data, 0x5A, size);
    size = needed;
    return code;
  }
};

TEST(ReadTable, GrowsOnBothBufferAnswersTakesNoDataAsEmptyAndIsBounded) {
  std::vector<char> buffer;
  ScriptedTable t{{{ip_records::kErrorInsufficientBuffer, 100},
                   {ip_records::kErrorMoreData, 100},  // no bigger size said: twice the last
                   {ip_records::kErrorMoreData, 300},
                   {0, 300}},
                  {}};
  EXPECT_EQ(ip_records::read_table<unsigned long>(buffer, 8, std::ref(t)), 0u);
  EXPECT_EQ(t.offered, (std::vector<std::size_t>{8, 100, 200, 300}));
  EXPECT_EQ(buffer.size(), 300u);

  ScriptedTable empty{{{ip_records::kErrorInsufficientBuffer, 64}, {ip_records::kErrorNoData, 64}},
                      {}};
  EXPECT_EQ(ip_records::read_table<unsigned long>(buffer, 8, std::ref(empty)), 0u);
  EXPECT_TRUE(buffer.empty());
  EXPECT_TRUE((ip_records::forward_rows<Table, Row>(buffer.data(), buffer.data())).empty());

  ScriptedTable growing;
  for (unsigned long n = 1; n <= 8; ++n)
    growing.answers.push_back({ip_records::kErrorMoreData, 8 + n});
  EXPECT_EQ(ip_records::read_table<unsigned long>(buffer, 8, std::ref(growing)),
            ip_records::kErrorInsufficientBuffer);
  EXPECT_EQ(growing.offered.size(), 8u);

  ScriptedTable huge{{{ip_records::kErrorMoreData, 1ul << 30}}, {}};
  EXPECT_EQ(ip_records::read_table<unsigned long>(buffer, 8, std::ref(huge)),
            ip_records::kErrorNotEnoughMemory);
  EXPECT_EQ(huge.offered.size(), 1u);

  ScriptedTable denied{{{5, 0}}, {}};
  EXPECT_EQ(ip_records::read_table<unsigned long>(buffer, 8, std::ref(denied)), 5u);
}

}  // namespace
}  // namespace qvx
