#include "shell/password.h"

#include <gtest/gtest.h>

#include <climits>

#include "platform/sim/sim_basics.h"

namespace qvx {
namespace {

class ScramblerTest : public ::testing::Test {
 protected:
  password with_keys(std::int32_t k1, std::int32_t k2) {
    password p(clock_);
    p.key1 = k1;
    p.key2 = k2;
    return p;
  }
  sim::SimClock clock_;
};

TEST_F(ScramblerTest, KnownKeysPlaceEveryPlainByteAfterThreeFillers) {
  password p = with_keys(0, 25);  // N 1, M 3, S 1
  p.scramble("abc");
  ASSERT_EQ(p.scrambled_text.size(), 12u);
  EXPECT_EQ(p.scrambled_text[3], 'b');
  EXPECT_EQ(p.scrambled_text[7], 'c');
  EXPECT_EQ(p.scrambled_text[11], 'd');
  EXPECT_EQ(p.unscramble(), "abc");
}

TEST_F(ScramblerTest, ShiftWrapsAroundTheAlphabetAndSwapsTheTableCharacters) {
  password p = with_keys(0, 25);
  p.scramble("9\n =");
  EXPECT_EQ(p.scrambled_text[3], 'a');
  EXPECT_EQ(p.scrambled_text[7], '@');
  EXPECT_EQ(p.scrambled_text[11], '^');
  EXPECT_EQ(p.scrambled_text[15], '~');
  p.scrambled_text = "xxxa";
  EXPECT_EQ(p.unscramble(), "9");
}

TEST_F(ScramblerTest, GbkBytesPassUnchangedAtTheirPositions) {
  password p = with_keys(0, 25);
  const std::string plain = "账号x";
  p.scramble(plain);
  EXPECT_EQ(p.scrambled_text[3], plain[0]);
  EXPECT_EQ(p.scrambled_text[7], plain[1]);
  EXPECT_EQ(p.unscramble(), plain);
}

TEST_F(ScramblerTest, ConstructorKeysGiveFourBytesPerPlainByteAndRoundTrip) {
  const std::string plain = "1\nuser_1\n0\n\nhttp://a.b/c?d=e&f%g<h>i,j@k!$()[]:;|\\/.-*+\n";
  for (int second = 0; second < 40; ++second) {
    clock_.advance(1);
    password p(clock_);
    EXPECT_EQ(p.key1 % 168, 0);
    EXPECT_EQ(p.key2 % 25, 0);
    p.scramble(plain);
    EXPECT_EQ(p.scrambled_text.size(), plain.size() * 4);
    EXPECT_EQ(p.scrambled_text.find_first_of(" \t\r\n"), std::string::npos);
    EXPECT_EQ(p.unscramble(), plain);
  }
}

TEST_F(ScramblerTest, ObjectsMadeInTheSameSecondShareTheirKeys) {
  password a(clock_), b(clock_);
  EXPECT_EQ(a.key1, b.key1);
  EXPECT_EQ(a.key2, b.key2);
  clock_.advance(1);
  password c(clock_);
  EXPECT_TRUE(c.key1 != a.key1 || c.key2 != a.key2);
}

TEST_F(ScramblerTest, TamperedKeysStayInRangeAndStillRoundTrip) {
  for (std::int32_t k1 : {INT_MIN, -7, -1, 0, 3, INT_MAX}) {
    for (std::int32_t k2 : {INT_MIN, -3, 0, 4, INT_MAX}) {
      password p = with_keys(k1, k2);
      EXPECT_GE(p.block_length(), 1);
      EXPECT_LE(p.block_length(), 4);
      EXPECT_GE(p.filler_count(), 3);
      EXPECT_LE(p.filler_count(), 7);
      EXPECT_GE(p.shift(), 0);
      EXPECT_LE(p.shift(), 7);
      p.scramble("remember_me 42");
      EXPECT_EQ(p.unscramble(), "remember_me 42") << k1 << " " << k2;
    }
  }
}

TEST_F(ScramblerTest, FileFormIsTwoKeyLinesAndOneTextLineWithCrLf) {
  password p = with_keys(0, 25);
  p.scramble("a\nb");
  const std::string bytes = scrambled_file_bytes(p);
  EXPECT_EQ(bytes, "0\r\n25\r\n" + p.scrambled_text);
  EXPECT_EQ(unscramble_file_bytes(bytes, clock_), "a\nb");
}

TEST_F(ScramblerTest, UnreadableFilesGiveEmptyContentNotACrash) {
  for (const std::string& bad :
       {std::string(), std::string("garbage"), std::string("12"), std::string("1\r\n\x80\x81\xff"),
        std::string(4096, '\0'), std::string("99999999999999999999\n-99999999999999\nabcd")}) {
    EXPECT_NO_THROW(unscramble_file_bytes(bad, clock_));
  }
  EXPECT_EQ(unscramble_file_bytes("plain text here", clock_), "");
}

TEST_F(ScramblerTest, CarriableTextExcludesTildeAndForeignAscii) {
  EXPECT_TRUE(scrambler_can_carry("user_1 @=&,<>?%\n账号"));
  EXPECT_FALSE(scrambler_can_carry("a~b"));
  EXPECT_FALSE(scrambler_can_carry("a\"b"));
  EXPECT_FALSE(scrambler_can_carry("a\tb"));
}

}  // namespace
}  // namespace qvx
