// Replies no real service sends: each has a defined outcome, and the client reads no more of
// any reply than its format can use, whatever its size.
#include <fstream>

#include "login_fixture.h"
#include "verify/reply_parsers.h"

namespace qvx::testing {
namespace {

constexpr std::size_t kHundredMegabytes = 100u << 20;

// Peak resident size of this process in KiB; ctest runs every case in a process of its own.
long peak_kib() {
  std::ifstream status("/proc/self/status");
  std::string key;
  long value = 0;
  while (status >> key) {
    if (key == "VmHWM:") {
      status >> value;
      return value;
    }
  }
  return -1;
}

class HostileReply : public LoginTest {
 protected:
  void SetUp() override { start_client(); }
  // Far below the reply sizes, far above what the bounded reads use.
  static constexpr long kMemoryAllowanceKib = 32 * 1024;
};

TEST_F(HostileReply, HundredMegabytesOfJunkAreARefusal) {
  service.set(kLog1, {200, "", kHundredMegabytes});
  const long before = peak_kib();
  ASSERT_GT(before, 0);
  login_and_finish();
  EXPECT_EQ(codes.back(), progress::kAccountRefused);
  EXPECT_EQ(boxes(), std::vector<std::string>{"用户名和密码错误"});
  EXPECT_LT(peak_kib() - before, kMemoryAllowanceKib);
  EXPECT_FALSE(os.files.get("C:\\Quovix\\information.txt"));
}

TEST_F(HostileReply, HundredMegabyteNodeListIsReadUpToTheBound) {
  service.set(kList, {200, "0 0 2 1.2.3.4@Beijing 1.2.3.5@Shanghai 1 ", kHundredMegabytes});
  const long before = peak_kib();
  login_and_finish();
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_EQ(f2().suiComboBox1.items(),
            (std::vector<std::string>{"自动选择", "Beijing", "Shanghai"}));
  // The filler is one endless token: the notice text gets what lies within the bound.
  EXPECT_GT(f1().notice_text.size(), 0u);
  EXPECT_LT(f1().notice_text.size(), kTokenReplyMax);
  EXPECT_LT(peak_kib() - before, kMemoryAllowanceKib);
}

TEST_F(HostileReply, MegabyteLineWithoutALineFeedIsCutAt199Bytes) {
  const std::string list_start = service.base() + kList + "?x=";
  const std::string fields = "200@2430@2430@1@2008-5-1 10:0:0@2030-6-1 10:0:0@31@120@58.1.2.3@";
  service.set(kLog1, {200, fields + list_start, 1u << 20});
  login_and_finish();
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  // The last field runs to the cut: the line's 199 bytes and not one more.
  EXPECT_EQ(f1().list_url.size(), kVerificationLineMax - fields.size());
  EXPECT_EQ(f1().list_url.rfind(list_start, 0), 0u);
}

// The counts are not believed beyond the arrays: the list ends where its text does, and the
// surplus slots stay as they were.
TEST_F(HostileReply, NodeCountOfTwoToTheThirtyFirstStopsAtTheArrayAndTheText) {
  service.set(kList, {200, "0 0 2147483647 1.2.3.4@Beijing 1.2.3.5@Shanghai"});
  login_and_finish();
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_EQ(f1().node_count, kNodeSlots - 1);
  const auto items = f2().suiComboBox1.items();
  ASSERT_EQ(items.size(), static_cast<std::size_t>(kNodeSlots));
  EXPECT_EQ(items[1], "Beijing");
  EXPECT_EQ(items[2], "Shanghai");
  EXPECT_EQ(items[3], "");
}

TEST_F(HostileReply, TickerCountOfTwoToTheThirtyFirstStopsAtTheArray) {
  service.set(kList, {200, "0 0 1 1.2.3.4@Beijing 1 公告 http://n/ 5 2147483647 一 http://t1/"});
  login_and_finish();
  EXPECT_EQ(codes.back(), progress::kLoggedIn);
  EXPECT_EQ(f1().ticker_count, kTickerSlots);
  EXPECT_EQ(f2().Label23.caption(), "一");
}

}  // namespace
}  // namespace qvx::testing
