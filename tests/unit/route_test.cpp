#include "routing/route.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/sim_platform.h"

namespace qvx {
namespace {

constexpr char kDir[] = "C:\\Quovix\\";

class RouteTest : public ::testing::Test {
 protected:
  RouteTest()
      : root_(std::filesystem::temp_directory_path() /
              ("qvx-route-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        os_(root_),
        tables_(os_.platform()) {}
  ~RouteTest() override { std::filesystem::remove_all(root_); }

  void put(const char* file, const std::string& text) {
    os_.files.put(std::string(kDir) + "route\\" + file, text);
  }
  void load() { tables_.load(kDir); }
  std::string dest_of(const platform::ForwardRow& row) { return sim::address_to_dotted(row.dest); }

  std::filesystem::path root_;
  sim::SimPlatform os_;
  route tables_;
};

TEST_F(RouteTest, OnlyCompleteRowsAreLoadedHoweverTheNumbersAreSpread) {
  put("CHINANET.dat", "58 0 0 0 58 255 255 255 255 0 0 0 7");
  put("CNC.dat", "1\n2\n3\n4\n1\n2\n3\n9\n255\n255\n255\n0\n");
  put("CERNET.dat",
      "1 0 0 0 1 0 0 255 255 255 255 0\r\n2 0 0 0 2 0 0 255 255 255 255 0\r\n3 0 0 0 3 0 0");
  load();
  EXPECT_EQ(tables_.row_counts[CHINANET], 1);
  EXPECT_EQ(tables_.row_counts[CNC], 1);
  EXPECT_EQ(tables_.row_counts[CERNET], 2);
  EXPECT_EQ(tables_.tables[CNC][0][7], 9);
}

TEST_F(RouteTest, GarbageHugeNumbersAndMissingFilesEndATableCleanly) {
  put("CHINANET.dat", "10 0 0 0 10 255 255 255 255 0 0 0 x 1 2 3");
  put("CNC.dat", "1 2 3 4 5 6 7 8 9 10 11 99999999999");
  put("CERNET.dat", "-5 +6 300 0 0 0 0 0 0 0 0 0");
  load();
  EXPECT_EQ(tables_.row_counts[CHINANET], 1);
  EXPECT_EQ(tables_.row_counts[CNC], 0);
  EXPECT_EQ(tables_.row_counts[CERNET], 1);
  EXPECT_EQ(tables_.tables[CERNET][0][0], -5);

  route empty(os_.platform());
  empty.load("C:\\Nowhere\\");
  EXPECT_EQ(empty.row_counts, (std::array<int, 3>{0, 0, 0}));
  EXPECT_EQ(empty.identify_network("58.1.2.3"), NO_NETWORK);
}

TEST_F(RouteTest, ATableKeepsItsFirst500Rows) {
  std::string text;
  for (int i = 0; i < 600; ++i) text += std::to_string(i % 256) + " 0 0 0 1 0 0 0 255 0 0 0\n";
  put("CNC.dat", text);
  load();
  EXPECT_EQ(tables_.row_counts[CNC], 500);
  EXPECT_EQ(tables_.tables[CNC][499][0], 499 % 256);
}

TEST_F(RouteTest, RowTestLooksAtEachOctetOnItsOwn) {
  put("CHINANET.dat", "10 0 0 0 10 255 255 255 255 0 0 0\n1 2 3 128 1 2 5 127 255 255 0 0");
  load();
  for (const char* inside : {"10.0.0.0", "10.1.2.3", "10.255.255.255", "1.2.4.7"}) {
    EXPECT_EQ(tables_.identify_network(inside), CHINANET) << inside;
  }
  for (const char* outside : {"11.0.0.0", "1.2.3.200", "1.2.3.130", "1.2.5.0", "1.2.5.200"}) {
    EXPECT_EQ(tables_.identify_network(outside), NO_NETWORK) << outside;
  }
  EXPECT_EQ(tables_.address_octets, (std::array<std::int32_t, 4>{1, 2, 5, 200}));
  EXPECT_EQ(tables_.own_network, NO_NETWORK);
}

TEST_F(RouteTest, OverlappingTablesGiveTheLowerIndex) {
  put("CERNET.dat", "58 0 0 0 58 255 255 255 255 0 0 0");
  put("CNC.dat", "58 0 0 0 58 255 255 255 255 0 0 0");
  put("CHINANET.dat", "58 0 0 0 58 255 255 255 255 0 0 0");
  load();
  EXPECT_EQ(tables_.identify_network("58.1.2.3"), CHINANET);
  put("CHINANET.dat", "");
  route again(os_.platform());
  again.load(kDir);
  EXPECT_EQ(again.identify_network("58.1.2.3"), CNC);
  EXPECT_EQ(network_name(CNC), "中国网通");
  EXPECT_EQ(network_name(NO_NETWORK), "未知网络");
}

TEST_F(RouteTest, AddressesThatAreNotFourNumbersMatchNothing) {
  // A table that holds every address: only the shape of the text can make it miss.
  put("CHINANET.dat", "0 0 0 0 255 255 255 255 0 0 0 0");
  load();
  for (const char* bad : {"", "58", "58.1.2", "abc", "1.2"}) {
    ASSERT_EQ(tables_.identify_network("58.1.2.3"), CHINANET);
    EXPECT_EQ(tables_.identify_network(bad), NO_NETWORK) << bad;
    EXPECT_EQ(tables_.own_network, NO_NETWORK) << bad;
  }
  // Four empty parts are four numbers read as 0, as the C library reads them.
  EXPECT_EQ(tables_.identify_network("...."), CHINANET);
  EXPECT_EQ(tables_.address_octets, (std::array<std::int32_t, 4>{0, 0, 0, 0}));
}

}  // namespace
}  // namespace qvx
