#include "verify/reply_parsers.h"

#include <gtest/gtest.h>

#include <climits>
#include <filesystem>
#include <random>

#include "platform/sim/sim_platform.h"
#include "platform/text_mode.h"
#include "verify/client_record.h"

namespace qvx {
namespace {

class ReplyTest : public ::testing::Test {
 protected:
  sim::SimPlatform os{std::filesystem::temp_directory_path() / "qvx-reply-parsers"};
  ClientRecord rec{os.platform()};

  // Both steps of the verification line, as the thread takes them.
  bool read_line(const std::string& line) {
    VerificationFields fields(line);
    if (!fields.accepted()) return false;
    fields.read_versions(rec);
    fields.read_account(rec);
    return true;
  }
};

std::string tail_after_nodes() {
  // notice flag, text, url, delay; 2 ticker pairs; tips flag, url, delay; 6 pages; trailer
  return " 1 通知 http://n/ 30 2 t0 http://t0/ t1 http://t1/ 1 http://tips/ 40"
         " p0 p1 p2 p3 p4 p5 9";
}

void expect_tail_in_place(const ClientRecord& r) {
  EXPECT_EQ(r.notice_enabled, 1);
  EXPECT_EQ(r.notice_text, "通知");
  EXPECT_EQ(r.notice_url, "http://n/");
  EXPECT_EQ(r.notice_delay, 30);
  EXPECT_EQ(r.ticker_count, 2);
  EXPECT_EQ(r.ticker_texts[1], "t1");
  EXPECT_EQ(r.ticker_urls[1], "http://t1/");
  EXPECT_EQ(r.tips_enabled, 1);
  EXPECT_EQ(r.tips_url, "http://tips/");
  EXPECT_EQ(r.tips_delay, 40);
  EXPECT_EQ(r.page_urls[kHomePage], "p0");
  EXPECT_EQ(r.page_urls[kMessageBoardPage], "p5");
}

TEST_F(ReplyTest, WorkedVerificationLineFillsEveryField) {
  ASSERT_TRUE(
      read_line("200@2430@2431@1@2008-5-1 10:0:0@2008-6-1 10:0:0@31@120@58.1.2.3@"
                "http://host/list.asp?x=@"));
  EXPECT_EQ(rec.min_version, "2430");
  EXPECT_EQ(rec.latest_version, "2431");
  EXPECT_EQ(rec.user_level, "1");
  EXPECT_EQ(rec.server_time, "2008-5-1 10:0:0");
  EXPECT_EQ(rec.expiry_time, "2008-6-1 10:0:0");
  EXPECT_EQ(rec.days_left, "31");
  EXPECT_EQ(rec.points, "120");
  EXPECT_EQ(rec.external_ip, "58.1.2.3");
  EXPECT_EQ(rec.list_url, "http://host/list.asp?x=");
}

TEST_F(ReplyTest, OnlyTheExactMarkerIsAccepted) {
  for (const char* refused :
       {"201@2430@2430@1@a@b@1@1@1.2.3.4@u@", "", "200", "200x@", "@200@", " 200@2430"}) {
    EXPECT_FALSE(VerificationFields(refused).accepted()) << refused;
  }
  EXPECT_FALSE(read_line("201@9@9"));
  EXPECT_EQ(rec.min_version, "");  // a refused line is not looked at
  EXPECT_TRUE(VerificationFields("200@").accepted());
}

TEST_F(ReplyTest, MissingFieldsRepeatTheLastRemainingText) {
  ASSERT_TRUE(read_line("200@2430@2430"));
  for (const std::string* field :
       {&rec.min_version, &rec.latest_version, &rec.user_level, &rec.server_time, &rec.expiry_time,
        &rec.days_left, &rec.points, &rec.external_ip, &rec.list_url}) {
    EXPECT_EQ(*field, "2430");
  }
  ASSERT_TRUE(read_line("200@"));
  EXPECT_EQ(rec.min_version, "");
  EXPECT_EQ(rec.list_url, "");
}

TEST_F(ReplyTest, VersionsAreReadBeforeTheRest) {
  VerificationFields fields("200@2431@2432@83@s@e@1@2@3.3.3.3@http://l/@");
  fields.read_versions(rec);
  EXPECT_EQ(rec.min_version, "2431");
  EXPECT_EQ(rec.user_level, "0");  // untouched until the second step
  fields.read_account(rec);
  EXPECT_EQ(rec.user_level, "83");
  EXPECT_EQ(rec.list_url, "http://l/");
}

TEST_F(ReplyTest, FirstLineStopsAtLineFeedAndAt199Bytes) {
  EXPECT_EQ(first_line(platform::from_disk_text("200@1@2\r\nsecond")), "200@1@2");
  EXPECT_EQ(first_line("no line end"), "no line end");
  EXPECT_EQ(first_line(""), "");
  EXPECT_EQ(first_line("\nx"), "");
  const std::string long_line = "200@" + std::string(300, '9');
  EXPECT_EQ(first_line(long_line), long_line.substr(0, 199));
  EXPECT_EQ(first_line(std::string(199, 'a') + "\n"), std::string(199, 'a'));
  // A lone CR is no line end in text mode.
  EXPECT_EQ(first_line(platform::from_disk_text("a\rb")), "a\rb");
}

TEST_F(ReplyTest, BinaryBytesStayInTheirFields) {
  const std::string line = std::string("200@1@2@\xFF\x01@") + '\0' + "x@";
  ASSERT_TRUE(read_line(first_line(line)));
  EXPECT_EQ(rec.user_level, "\xFF\x01");
  EXPECT_EQ(rec.server_time, std::string(1, '\0') + "x");
}

TEST_F(ReplyTest, NodeListSplitsAddressAndName) {
  parse_node_list("7 8 2 1.2.3.4@Beijing 1.2.3.5@Shanghai" + tail_after_nodes(), rec);
  EXPECT_EQ(rec.node_count, 2);
  EXPECT_EQ(rec.node_addresses[1], "1.2.3.4");
  EXPECT_EQ(rec.node_names[1], "Beijing");
  EXPECT_EQ(rec.node_addresses[2], "1.2.3.5");
  EXPECT_EQ(rec.node_names[2], "Shanghai");
  EXPECT_EQ(rec.ticker_texts[0], "t0");
  expect_tail_in_place(rec);
}

TEST_F(ReplyTest, NodeTokenWithoutOrWithSeveralAtSigns) {
  parse_node_list("0 0 3 1.2.3.4 @empty a@b@c" + tail_after_nodes(), rec);
  EXPECT_EQ(rec.node_addresses[1], "1.2.3.4");
  EXPECT_EQ(rec.node_names[1], "1.2.3.4");
  EXPECT_EQ(rec.node_addresses[2], "");
  EXPECT_EQ(rec.node_names[2], "empty");
  EXPECT_EQ(rec.node_addresses[3], "a");
  EXPECT_EQ(rec.node_names[3], "b@c");
}

TEST_F(ReplyTest, IntegerStopsAtFirstNonDigitWhichStartsTheNextToken) {
  parse_node_list("0 0 3x y@Y z@Z" + tail_after_nodes(), rec);
  EXPECT_EQ(rec.node_count, 3);
  EXPECT_EQ(rec.node_names[1], "x");
  EXPECT_EQ(rec.node_names[2], "Y");
  EXPECT_EQ(rec.node_names[3], "Z");
  expect_tail_in_place(rec);
  parse_node_list("+1 -2 +1 a@A\t\r\n\v\f 0 n u 5 1 t u 0 tu 7 a b c d e f 0", rec);
  EXPECT_EQ(rec.node_count, 1);
  EXPECT_EQ(rec.notice_enabled, 0);
  EXPECT_EQ(rec.tips_delay, 7);
}

TEST_F(ReplyTest, MalformedIntegerFreezesEveryLaterMember) {
  parse_node_list("0 0 1 a@A" + tail_after_nodes(), rec);
  // The notice flag is no number: it and everything after keep the earlier values.
  parse_node_list("0 0 1 b@B yes new http://new/ 1 1 x y 0 z 0 q q q q q q 0", rec);
  EXPECT_EQ(rec.node_names[1], "B");
  expect_tail_in_place(rec);
  // A lone sign is no number either.
  parse_node_list("0 0 - c@C", rec);
  EXPECT_EQ(rec.node_count, 1);
  EXPECT_EQ(rec.node_names[1], "B");
}

TEST_F(ReplyTest, EarlyEndLeavesTheRestAsItWas) {
  parse_node_list("0 0 2 a@A b@B" + tail_after_nodes(), rec);
  parse_node_list("0 0 3 c@C", rec);
  EXPECT_EQ(rec.node_count, 3);
  EXPECT_EQ(rec.node_names[1], "C");
  EXPECT_EQ(rec.node_names[2], "B");
  EXPECT_EQ(rec.node_addresses[2], "b");
  expect_tail_in_place(rec);
  parse_node_list("", rec);
  EXPECT_EQ(rec.node_count, 3);
}

TEST_F(ReplyTest, OverlongCountsKeepWhatFitsAndStayAligned) {
  std::string text = "0 0 60";
  for (int n = 1; n <= 60; ++n) text += " 10.0.0." + std::to_string(n) + "@N" + std::to_string(n);
  text += " 1 notice http://n/ 5 52";
  for (int i = 0; i < 52; ++i) text += " T" + std::to_string(i) + " U" + std::to_string(i);
  text += " 1 http://tips/ 6 a b c d e f 0";
  parse_node_list(text, rec);
  EXPECT_EQ(rec.node_count, 49);
  EXPECT_EQ(rec.node_names[49], "N49");
  EXPECT_EQ(rec.node_addresses[49], "10.0.0.49");
  EXPECT_EQ(rec.notice_text, "notice");
  EXPECT_EQ(rec.ticker_count, 50);
  EXPECT_EQ(rec.ticker_texts[49], "T49");
  EXPECT_EQ(rec.ticker_urls[49], "U49");
  EXPECT_EQ(rec.tips_url, "http://tips/");
  EXPECT_EQ(rec.page_urls[kMessageBoardPage], "f");
}

TEST_F(ReplyTest, NegativeOrHugeCountsReadNothingUnsafe) {
  parse_node_list("0 0 -5 1 notice url 3 -1 0 tips 4 a b c d e f 0", rec);
  EXPECT_EQ(rec.node_count, 0);
  EXPECT_EQ(rec.notice_text, "notice");
  EXPECT_EQ(rec.ticker_count, 0);
  EXPECT_EQ(rec.tips_url, "tips");
  // Out of int range: the stream fails, so the count is left alone.
  parse_node_list("0 0 99999999999 a@A", rec);
  EXPECT_EQ(rec.node_count, 0);
  EXPECT_EQ(rec.node_names[1], "");
  parse_node_list("0 0 2147483647 a@A b@B", rec);
  EXPECT_EQ(rec.node_count, 49);
  EXPECT_EQ(rec.node_names[2], "B");
}

TEST_F(ReplyTest, SettingsValuesFollowTheFirstEqualsSign) {
  parse_service_settings("title=Hello", rec);
  EXPECT_EQ(rec.app_title, "Hello");
  parse_service_settings("Hello2", rec);
  EXPECT_EQ(rec.app_title, "Hello2");
  parse_service_settings("a=b=c", rec);
  EXPECT_EQ(rec.app_title, "b=c");
  parse_service_settings("t=", rec);
  EXPECT_EQ(rec.app_title, "");
}

TEST_F(ReplyTest, SettingsReplyFillsItsSlotsAndKeepsNavigation) {
  rec.page_urls[kNavigationPage] = "from-list";
  parse_service_settings(
      "title=标题 notice=1 ntext=公告 nurl=http://n/ ndelay=12 count=2 a http://a/ b http://b/"
      " tips=1 turl=http://t/ tdelay=3 home=h pay=p svc=s help=x board=m",
      rec);
  EXPECT_EQ(rec.app_title, "标题");
  EXPECT_EQ(rec.notice_enabled, 1);
  EXPECT_EQ(rec.notice_text, "公告");
  EXPECT_EQ(rec.notice_url, "http://n/");
  EXPECT_EQ(rec.notice_delay, 12);
  EXPECT_EQ(rec.ticker_count, 2);
  EXPECT_EQ(rec.ticker_texts[1], "b");
  EXPECT_EQ(rec.ticker_urls[1], "http://b/");
  EXPECT_EQ(rec.tips_enabled, 1);
  EXPECT_EQ(rec.tips_url, "http://t/");
  EXPECT_EQ(rec.tips_delay, 3);
  EXPECT_EQ(rec.page_urls[kHomePage], "h");
  EXPECT_EQ(rec.page_urls[kRechargePage], "p");
  EXPECT_EQ(rec.page_urls[kServicePage], "s");
  EXPECT_EQ(rec.page_urls[kNavigationPage], "from-list");
  EXPECT_EQ(rec.page_urls[kHelpPage], "x");
  EXPECT_EQ(rec.page_urls[kMessageBoardPage], "m");
}

TEST_F(ReplyTest, SettingsIntegersTruncateTowardZero) {
  parse_service_settings("t=x n=yes a b d=-2.9 c=2.9 t0 u0 t1 u1 tips=7e0 u td=1e30", rec);
  EXPECT_EQ(rec.notice_enabled, 0);
  EXPECT_EQ(rec.notice_delay, -2);
  EXPECT_EQ(rec.ticker_count, 2);
  EXPECT_EQ(rec.ticker_urls[1], "u1");
  EXPECT_EQ(rec.tips_enabled, 7);
  EXPECT_EQ(rec.tips_delay, INT_MAX);
  parse_service_settings("t=x n=-1e30 a b d=nan c=-3 tips=1", rec);
  EXPECT_EQ(rec.notice_enabled, INT_MIN);
  EXPECT_EQ(rec.notice_delay, 0);
  EXPECT_EQ(rec.ticker_count, 0);
  EXPECT_EQ(rec.tips_enabled, 1);  // no ticker pairs read for a negative count
}

TEST_F(ReplyTest, SettingsTickerSurplusIsConsumed) {
  std::string text = "t=x n=1 a b d=1 c=55";
  for (int i = 0; i < 55; ++i) text += " T" + std::to_string(i) + " U" + std::to_string(i);
  text += " tips=1 turl=http://t/ td=2 h p s x m";
  parse_service_settings(text, rec);
  EXPECT_EQ(rec.ticker_count, 50);
  EXPECT_EQ(rec.ticker_texts[49], "T49");
  EXPECT_EQ(rec.tips_url, "http://t/");
  EXPECT_EQ(rec.page_urls[kMessageBoardPage], "m");
}

TEST_F(ReplyTest, SettingsEndingEarlyKeepsTheListValues) {
  parse_node_list("0 0 0" + tail_after_nodes(), rec);
  parse_service_settings("title=T notice=0", rec);
  EXPECT_EQ(rec.app_title, "T");
  EXPECT_EQ(rec.notice_enabled, 0);
  EXPECT_EQ(rec.notice_text, "通知");
  EXPECT_EQ(rec.ticker_count, 2);
  EXPECT_EQ(rec.page_urls[kHomePage], "p0");
}

TEST_F(ReplyTest, ArbitraryBytesOfAnyLengthStayInsideTheArrays) {
  std::mt19937 random(12345);
  const std::string alphabet = std::string("0123456789-+@= \t\r\nab\xC4\xE3", 22) + '\0';
  for (int round = 0; round < 400; ++round) {
    std::string text(random() % 3000, ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    if (round % 4 == 0) text = "0 0 " + std::to_string(random() % 200) + " " + text;
    parse_node_list(text, rec);
    parse_service_settings(text, rec);
    VerificationFields fields(first_line("200@" + text));
    fields.read_versions(rec);
    fields.read_account(rec);
    ASSERT_GE(rec.node_count, 0);
    ASSERT_LE(rec.node_count, kNodeSlots - 1);
    ASSERT_GE(rec.ticker_count, 0);
    ASSERT_LE(rec.ticker_count, kTickerSlots);
    ASSERT_LE(rec.list_url.size(), kVerificationLineMax);
  }
}

}  // namespace
}  // namespace qvx
