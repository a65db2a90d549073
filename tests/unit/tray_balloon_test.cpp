#include <gtest/gtest.h>

#include "widgets/tray_icon.h"

namespace qvx::widgets {
namespace {

TEST(CutGbk, NeverSplitsATwoByteCharacter) {
  EXPECT_EQ(cut_gbk("abc", 3), "abc");
  EXPECT_EQ(cut_gbk("abcd", 3), "abc");
  EXPECT_EQ(cut_gbk("a加速", 3), "a加");  // 1 + 2 bytes
  EXPECT_EQ(cut_gbk("ab加速", 3), "ab");  // "加" would end on the fourth byte
  EXPECT_EQ(cut_gbk("加速", 1), "");
  EXPECT_EQ(cut_gbk("", 5), "");
}

TEST(TrayBalloon, KeepsAtMost63TitleAnd255TextBytesOnCharacterBoundaries) {
  Menu menu("PopupMenu1");
  TrayIcon icon("Quovix加速", menu);
  // "亲爱的 " (7 bytes) + 31 ASCII, then two-byte characters: the 63rd byte is a lead byte,
  // so 62 bytes are kept.
  std::string title = "亲爱的 " + std::string(31, 'u');
  for (int i = 0; i < 14; ++i) title += "加速";
  std::string text = "您已经成功加速！";  // 16 bytes, then characters on even offsets
  while (text.size() < 300) text += "祝您上网愉快";
  icon.show_balloon(title, text, 10000);
  EXPECT_EQ(icon.balloon_title().size(), 62u);
  EXPECT_EQ(icon.balloon_title(), title.substr(0, 62));
  EXPECT_EQ(icon.balloon_text(), text.substr(0, 254));
  EXPECT_EQ(cut_gbk("\n" + text, 255), ("\n" + text).substr(0, 255));
  EXPECT_EQ(icon.balloon_count(), 1);

  icon.show_balloon("亲爱的 u1：", "short", 10000);
  EXPECT_EQ(icon.balloon_title(), "亲爱的 u1：");
  EXPECT_EQ(icon.balloon_text(), "short");
}

}  // namespace
}  // namespace qvx::widgets
