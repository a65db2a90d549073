#include <gtest/gtest.h>

#include "aggregate.h"
#include "ip2region_db.h"

namespace qvx::route_gen {
namespace {

std::uint32_t ip(int a, int b, int c, int d) {
  return static_cast<std::uint32_t>(a) << 24 | b << 16 | c << 8 | d;
}

TEST(CidrCover, IsExactAndAligned) {
  const auto ranges =
      normalise({{ip(1, 0, 0, 3), ip(1, 0, 0, 17)}, {ip(1, 0, 0, 18), ip(1, 0, 0, 20)}});
  ASSERT_EQ(ranges.size(), 1u);
  const auto blocks = cidr_cover(ranges);
  std::uint64_t total = 0;
  for (const Block& b : blocks) {
    EXPECT_EQ(b.base % b.size(), 0u);
    total += b.size();
  }
  EXPECT_EQ(total, 18u);
  EXPECT_EQ(measure(ranges, blocks).foreign_share(), 0.0);
  EXPECT_EQ(cidr_cover({{0, 0xFFFFFFFFu}}).size(), 1u);
}

TEST(Aggregate, BoundsTheRowsCoversEverythingAndPrefersCheapMerges) {
  std::vector<Range> ranges;
  for (int i = 0; i < 300; ++i)
    ranges.push_back({ip(10, i / 256, i % 256, 1), ip(10, i / 256, i % 256, 254)});
  ranges.push_back({ip(200, 0, 0, 0), ip(200, 0, 255, 255)});
  const auto norm = normalise(ranges);
  const auto blocks = aggregate(norm, 20);
  EXPECT_LE(blocks.size(), 20u);
  const Report r = measure(norm, blocks);
  EXPECT_EQ(r.coverage(), 1.0);
  // The far-away /16 stays on its own instead of being joined through foreign space.
  bool kept = false;
  for (const Block& b : blocks) kept |= b.base == ip(200, 0, 0, 0) && b.prefix == 16;
  EXPECT_TRUE(kept);
  EXPECT_LT(r.foreign_share(), 0.05);
}

TEST(RouteRow, WritesStartEndAndMaskOctets) {
  EXPECT_EQ(route_row({ip(58, 0, 0, 0), 8}), "58 0 0 0 58 255 255 255 255 0 0 0");
  EXPECT_EQ(route_row({ip(1, 2, 3, 128), 25}), "1 2 3 128 1 2 3 255 255 255 255 128");
}

TEST(Ip2Region, ReadsIndexAndRegionsAndRejectsGarbage) {
  std::string db(8, '\0');
  const std::string region = u8"中国|0|上海|上海市|电信";
  const std::uint32_t data_at = 8;
  db += std::string(4, '\0') + region;
  const std::uint32_t index_at = static_cast<std::uint32_t>(db.size());
  auto put = [&db](std::uint32_t v) {
    for (int i = 0; i < 4; ++i) db += static_cast<char>(v >> (8 * i) & 0xFF);
  };
  put(ip(58, 0, 0, 0));
  put(ip(58, 0, 0, 255));
  put(data_at | static_cast<std::uint32_t>(4 + region.size()) << 24);
  for (int i = 0; i < 4; ++i) db[i] = static_cast<char>(index_at >> (8 * i) & 0xFF);
  for (int i = 0; i < 4; ++i) db[4 + i] = static_cast<char>(index_at >> (8 * i) & 0xFF);
  const auto read = read_ip2region(db);
  ASSERT_TRUE(read.has_value());
  ASSERT_EQ(read->size(), 1u);
  EXPECT_EQ((*read)[0].region, region);
  EXPECT_EQ(network_of(region), 0);
  EXPECT_EQ(network_of(u8"中国|0|北京|北京市|联通"), 1);
  EXPECT_EQ(network_of(u8"中国|0|北京|北京市|教育网"), 2);
  EXPECT_EQ(network_of(u8"美国|0|0|0|电信"), -1);
  EXPECT_FALSE(read_ip2region("short").has_value());
  EXPECT_FALSE(read_ip2region(std::string(64, '\xff')).has_value());
}

}  // namespace
}  // namespace qvx::route_gen
