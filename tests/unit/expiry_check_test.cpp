#include <gtest/gtest.h>

#include "status/unit2.h"

namespace qvx {
namespace {

TEST(SubscriptionValid, ComparesPartByPartAsNumbers) {
  EXPECT_TRUE(subscription_valid("2009-01-01 0:0:0", "2008-12-31 23:59:59"));
  EXPECT_FALSE(subscription_valid("2008-12-31 23:59:59", "2009-01-01 0:0:0"));
  // No fixed width: 10 is after 9, whatever the text order says.
  EXPECT_TRUE(subscription_valid("2008-12-10 0:0:0", "2008-12-9 0:0:0"));
  EXPECT_TRUE(subscription_valid("2008-6-1 10:0:0", "2008-5-1 10:0:0"));
  EXPECT_TRUE(subscription_valid("2008-5-1 10:0:1", "2008-5-1 10:0:0"));
  EXPECT_FALSE(subscription_valid("2008-5-1 9:59:59", "2008-5-1 10:0:0"));
  EXPECT_TRUE(subscription_valid("2008-05-01 10:00:01", "2008-5-1 10:0:0"));
}

TEST(SubscriptionValid, EqualTimesAndTheZeroValueAreExpired) {
  EXPECT_FALSE(subscription_valid("2008-12-12 15:49:23", "2008-12-12 15:49:23"));
  EXPECT_FALSE(subscription_valid("2008-12-12 15:49:23", "2008-12-12 15:49:023"));
  EXPECT_FALSE(subscription_valid("0-0-0 0:0:0", "2008-12-12 15:49:23"));
  EXPECT_FALSE(subscription_valid("0-0-0 0:0:0", "0-0-0 0:0:0"));
}

TEST(SubscriptionValid, TimePartsMaySplitByAnyOneCharacter) {
  EXPECT_TRUE(subscription_valid("2009-1-1 10.0.1", "2009-1-1 10:0:0"));
  EXPECT_TRUE(subscription_valid(" 2009-1-1  10:0:1\r\n", "2009-1-1 10:0:0"));
}

TEST(SubscriptionValid, TextWithoutSixNumbersCountsAsExpired) {
  const char* valid = "2030-1-1 0:0:0";
  for (const char* bad : {"", "2030", "2030-1-1", "2030-1-1 0:0", "2030/1/1 0:0:0",
                          "2030-1-1T0:0:0", "2030-1-1 0::0:0", "2030-1-1 0:0:0:0",
                          "2030-1-1 0:0:0x", "-2030-1-1 0:0:0", "a-b-c d:e:f", "2030--1 0:0:0"}) {
    EXPECT_FALSE(subscription_valid(bad, "2008-1-1 0:0:0")) << bad;
    EXPECT_FALSE(subscription_valid(valid, bad)) << bad;
  }
}

TEST(SubscriptionValid, HugeNumbersCompareWithoutOverflow) {
  EXPECT_TRUE(subscription_valid("99999999999999999999-1-1 0:0:0", "2008-1-1 0:0:0"));
  EXPECT_FALSE(subscription_valid("2008-1-1 0:0:0", "99999999999999999999-1-1 0:0:0"));
  EXPECT_TRUE(
      subscription_valid("100000000000000000000-1-1 0:0:0", "99999999999999999999-1-1 0:0:0"));
}

}  // namespace
}  // namespace qvx
