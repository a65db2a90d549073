// The progress window's figures.
#include <gtest/gtest.h>

#include "update/progress_text.h"

namespace qvx::update {
namespace {

TEST(UpdateProgressText, PercentStaysWithinBounds) {
  EXPECT_EQ(progress_percent(0, 0), 0);
  EXPECT_EQ(progress_percent(500, 0), 0);
  EXPECT_EQ(progress_percent(999, 1000), 99);
  EXPECT_EQ(progress_percent(1000, 1000), 100);
  EXPECT_EQ(progress_percent(2000, 1000), 100);
  EXPECT_EQ(progress_percent(300ull << 20, 600ull << 20), 50);
}

TEST(UpdateProgressText, ShowsKilobytesAndSpeed) {
  EXPECT_EQ(progress_text(1, 2048000, 0), "已下载 1 KB / 2,000 KB，速度 0.0 KB/s");
  EXPECT_EQ(progress_text(1024000, 2048000, 2000), "已下载 1,000 KB / 2,000 KB，速度 500.0 KB/s");
  EXPECT_EQ(progress_text(1536, 1048576 * 1000, 1000), "已下载 2 KB / 1,024,000 KB，速度 1.5 KB/s");
}

}  // namespace
}  // namespace qvx::update
