#include "status/md5.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace qvx {
namespace {

TEST(Md5Hex, MatchesTheRfc1321TestSuiteInUpperCase) {
  EXPECT_EQ(md5_hex(""), "D41D8CD98F00B204E9800998ECF8427E");
  EXPECT_EQ(md5_hex("a"), "0CC175B9C0F1B6A831C399E269772661");
  EXPECT_EQ(md5_hex("abc"), "900150983CD24FB0D6963F7D28E17F72");
  EXPECT_EQ(md5_hex("message digest"), "F96B697D7CB7938D525A2F31AAF161D0");
  EXPECT_EQ(md5_hex("abcdefghijklmnopqrstuvwxyz"), "C3FCD3D76192E4007DFB496CCA67E13B");
  EXPECT_EQ(md5_hex("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789"),
            "D174AB98D277D9F5A5611C2C9F419D9F");
  std::string eighty;
  for (int i = 0; i < 8; ++i) eighty += "1234567890";
  EXPECT_EQ(md5_hex(eighty), "57EDF4A22BE3C955AC49DA2E2107B67A");
}

TEST(Md5Hex, PaddingBoundariesAroundOneAndTwoBlocks) {
  const std::pair<std::size_t, const char*> cases[] = {
      {55, "04364420E25C512FD958A70738AA8F72"},  {56, "668A72D5BA17F08E62DABCAFAD6DB14B"},
      {57, "693037871C4A9D3D8685018905CB530A"},  {63, "7DC2CA208106A2F703567BDFF99D8981"},
      {64, "C1BB4F81D892B2D57947682AEB252456"},  {65, "1BC932052302D074BDEC39795FE00CF6"},
      {119, "AB347A5F68C8A443CFCDDC633F12C24F"}, {120, "FB98667F98096DE92620B64F46E1C5B5"},
      {128, "D69CB61A6EE87200676EB0D4B90EDBCB"},
  };
  for (const auto& [length, digest] : cases) {
    EXPECT_EQ(md5_hex(std::string(length, 'x')), digest) << length;
  }
}

TEST(Md5Hex, HighBytesAndNulsCountOnceAsUnsignedValues) {
  EXPECT_EQ(md5_hex("密码"), "D2293E30F0C964C5F6242486AA8A483C");  // GBK c3 dc c2 eb
  EXPECT_EQ(md5_hex(std::string("\x80\xff\x00\x7f", 4)), "7A69791D633DA1F6ADC191ECEEEEB48C");
}

TEST(MaskDigest, AppliesTheTableDigitByDigit) {
  EXPECT_EQ(mask_digest("5EBE2294ECD0E0F08EAB7690D2A6EE69", "FEDCBA9876543210"),
            "A141DD6B132F1F0F7154896F2D591196");
  EXPECT_EQ(mask_digest(md5_hex("abc"), "7C3E0A95F1D4B268"), "177CA71FEB2308472919E8523F6C5853");
  EXPECT_EQ(mask_digest("0123456789ABCDEF", "0123456789ABCDEF"), "0123456789ABCDEF");
}

TEST(MaskDigest, DistinctDigestsStayDistinctAndHex) {
  std::set<std::string> seen;
  for (int i = 0; i < 200; ++i) {
    const std::string masked = mask_digest(md5_hex(std::to_string(i)), "7C3E0A95F1D4B268");
    ASSERT_EQ(masked.size(), 32u);
    EXPECT_EQ(masked.find_first_not_of("0123456789ABCDEF"), std::string::npos);
    seen.insert(masked);
  }
  EXPECT_EQ(seen.size(), 200u);
}

TEST(MaskDigest, TableThatIsNotAPermutationLeavesTheDigest) {
  const std::string digest = md5_hex("secret");
  for (const char* bad : {"", "0123456789ABCDE", "0123456789ABCDEFF", "0023456789ABCDEF",
                          "0123456789abcdef", "0123456789ABCDEG"}) {
    EXPECT_FALSE(valid_mask_table(bad)) << bad;
    EXPECT_EQ(mask_digest(digest, bad), digest) << bad;
  }
  EXPECT_FALSE(valid_mask_table(std::string("0123456789ABCDE\0", 16)));
  EXPECT_TRUE(valid_mask_table("7C3E0A95F1D4B268"));
}

}  // namespace
}  // namespace qvx
