// Our rows and adapters to and from the IP Helper records. Written over the record types, so
// that the native tests can check the mapping and the list walks with stand-ins that have the
// SDK's member names; the Win32 build instantiates them with the real records.
#pragma once
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <vector>

#include "platform/ip_helper.h"

namespace qvx::ip_records {

template <typename Row>  // MIB_IPFORWARDROW
Row to_native_row(const platform::ForwardRow& r) {
  Row row;
  std::memset(&row, 0, sizeof row);
  row.dwForwardDest = r.dest;
  row.dwForwardMask = r.mask;
  row.dwForwardPolicy = r.policy;
  row.dwForwardNextHop = r.next_hop;
  row.dwForwardIfIndex = r.if_index;
  row.dwForwardType = r.type;
  row.dwForwardProto = r.proto;
  row.dwForwardAge = r.age;
  row.dwForwardNextHopAS = r.next_hop_as;
  row.dwForwardMetric1 = r.metric1;
  row.dwForwardMetric2 = r.metric2;
  row.dwForwardMetric3 = r.metric3;
  row.dwForwardMetric4 = r.metric4;
  row.dwForwardMetric5 = r.metric5;
  return row;
}

template <typename Row>  // MIB_IPFORWARDROW
platform::ForwardRow from_native_row(const Row& row) {
  platform::ForwardRow r;
  r.dest = row.dwForwardDest;
  r.mask = row.dwForwardMask;
  r.policy = row.dwForwardPolicy;
  r.next_hop = row.dwForwardNextHop;
  r.if_index = row.dwForwardIfIndex;
  r.type = row.dwForwardType;
  r.proto = row.dwForwardProto;
  r.age = row.dwForwardAge;
  r.next_hop_as = row.dwForwardNextHopAS;
  r.metric1 = row.dwForwardMetric1;
  r.metric2 = row.dwForwardMetric2;
  r.metric3 = row.dwForwardMetric3;
  r.metric4 = row.dwForwardMetric4;
  r.metric5 = row.dwForwardMetric5;
  return r;
}

// The rows of a MIB_IPFORWARDTABLE that filled [begin, end): as many as it counts, never more
// than the buffer holds.
template <typename Table, typename Row>
std::vector<platform::ForwardRow> forward_rows(const char* begin, const char* end) {
  std::vector<platform::ForwardRow> out;
  const std::size_t bytes = static_cast<std::size_t>(end - begin);
  if (bytes < sizeof(Table)) return out;
  const auto* table = reinterpret_cast<const Table*>(begin);
  const std::size_t first = offsetof(Table, table);
  const std::size_t room = (bytes - first) / sizeof(Row);
  const std::size_t count = std::min<std::size_t>(table->dwNumEntries, room);
  const auto* rows = reinterpret_cast<const Row*>(begin + first);
  for (std::size_t i = 0; i < count; ++i) out.push_back(from_native_row(rows[i]));
  return out;
}

// GetIpForwardTable's answers (learn.microsoft.com, iphlpapi.h). ERROR_INSUFFICIENT_BUFFER and
// ERROR_MORE_DATA both mean a bigger buffer: the size asked for if it says one, else twice the
// last, and the table may grow between two calls, so a few rounds within a bound. ERROR_NO_DATA
// is an empty table: success, and the buffer is left empty.
constexpr std::uint32_t kErrorNotEnoughMemory = 8;
constexpr std::uint32_t kErrorInsufficientBuffer = 122;
constexpr std::uint32_t kErrorNoData = 232;
constexpr std::uint32_t kErrorMoreData = 234;

// call(buffer, size) fills buffer or sets size to what it needs; Size is the API's ULONG.
template <typename Size, typename Call>
std::uint32_t read_table(std::vector<char>& buffer, std::size_t first_size, Call call) {
  constexpr std::size_t kLimit = std::size_t{1} << 26;
  constexpr int kRounds = 8;
  std::size_t want = first_size;
  for (int round = 0; round < kRounds; ++round) {
    if (want > kLimit) break;
    buffer.assign(want, 0);
    Size size = static_cast<Size>(want);
    const std::uint32_t r = call(buffer.data(), size);
    if (r == 0) return 0;
    if (r == kErrorNoData) {
      buffer.clear();
      return 0;
    }
    if (r != kErrorInsufficientBuffer && r != kErrorMoreData) return r;
    want = static_cast<std::size_t>(size) > want ? static_cast<std::size_t>(size) : want * 2;
  }
  buffer.clear();
  return want > kLimit ? kErrorNotEnoughMemory : kErrorInsufficientBuffer;
}

// True when a whole record of type T starts at p inside [begin, end). Compared as integers: a
// link may point anywhere.
template <typename T>
bool inside(const T* p, const char* begin, const char* end) {
  const auto at = reinterpret_cast<std::uintptr_t>(p);
  const auto first = reinterpret_cast<std::uintptr_t>(begin);
  const auto last = reinterpret_cast<std::uintptr_t>(end);
  return at >= first && at <= last && last - at >= sizeof(T);
}

// A chain of address strings (IP_ADDR_STRING), walked without trusting its links or its text.
template <typename AddrString>
std::vector<std::string> address_chain(const AddrString* entry, const char* begin,
                                       const char* end) {
  std::vector<std::string> out;
  for (int n = 0; entry && n < 64 && inside(entry, begin, end); ++n) {
    const auto& text = entry->IpAddress.String;
    out.emplace_back(std::begin(text), std::find(std::begin(text), std::end(text), '\0'));
    entry = entry->Next;
  }
  return out;
}

// The adapters (IP_ADAPTER_INFO) in the buffer GetAdaptersInfo filled, first at its start.
template <typename AdapterInfo>
std::vector<platform::Adapter> adapter_list(const char* begin, const char* end) {
  std::vector<platform::Adapter> out;
  const auto* adapter = reinterpret_cast<const AdapterInfo*>(begin);
  for (int n = 0; adapter && n < 256 && inside(adapter, begin, end); ++n) {
    out.push_back({adapter->Index, address_chain(&adapter->IpAddressList, begin, end),
                   address_chain(&adapter->GatewayList, begin, end), adapter->Type});
    adapter = adapter->Next;
  }
  return out;
}

}  // namespace qvx::ip_records
