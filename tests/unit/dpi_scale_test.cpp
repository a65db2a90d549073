// Scaling 96-dpi layouts to a window's DPI, and the rules the Wine DPI probe judges a re-layout
// and clipped text by.
#include "widgets/dpi_scale.h"

#include <gtest/gtest.h>

#include "tests/wine/dpi_layout_check.h"

namespace qvx {
namespace {

using widgets::Edges;
using widgets::Rect;
using widgets::scale_edges;
using widgets::scale_px;
using widgets::unscale_px;

TEST(DpiScale, RoundsAsMulDivDoes) {
  // Exact at the common factors, halves away from zero, as MulDiv(v, dpi, 96).
  EXPECT_EQ(scale_px(296, 96), 296);
  EXPECT_EQ(scale_px(296, 144), 444);
  EXPECT_EQ(scale_px(12, 192), 24);
  EXPECT_EQ(scale_px(1, 144), 2);    // 1.5
  EXPECT_EQ(scale_px(-1, 144), -2);  // -1.5
  EXPECT_EQ(scale_px(2, 120), 3);    // 2.5
  EXPECT_EQ(scale_px(3, 120), 4);    // 3.75
  EXPECT_EQ(scale_px(7, 120), 9);    // 8.75
  EXPECT_EQ(unscale_px(444, 144), 296);
  EXPECT_EQ(unscale_px(1280, 120), 1024);
  EXPECT_EQ(unscale_px(-3, 144), -2);  // -2.0
}

TEST(DpiScale, EdgesKeepNeighboursTouching) {
  // At 125 % a scaled width would round 13 to 16 twice and open a gap; edges do not.
  const Rect first{0, 0, 13, 21}, second{13, 0, 13, 21};
  for (int dpi : {96, 120, 144, 168, 192}) {
    const Edges a = scale_edges(first, dpi), b = scale_edges(second, dpi);
    EXPECT_EQ(a.right, b.left) << dpi;
  }
  EXPECT_EQ(scale_edges(Rect{10, 20, 75, 25}, 144), (Edges{15, 30, 128, 68}));
}

using dpi_check::Box;
using dpi_check::clipped;
using dpi_check::compare_scaled;
using dpi_check::parse_report;

constexpr char kReport96[] =
    "window dpi=96 awareness=2 client=296x200 frame=0,0,302,226 \"Quovix\"\n"
    "control Static 20 30 80 44 text=60x14 room=60x14 font=-12 visible=1 \"label\"\n"
    "control Button 100 150 170 175 text=48x14 room=66x21 font=-12 visible=1 \"connect\"\n"
    "control ComboBox 10 60 110 80 text=30x14 room=80x14 font=-12 visible=1 \"node\"\n"
    "control Edit 10 90 110 110 text=0x0 room=96x16 font=-12 visible=1 \"\"\n";

TEST(DpiLayoutCheck, ReadsTheHooksReport) {
  const auto boxes = parse_report(kReport96);
  ASSERT_EQ(boxes.size(), 4u);  // the window line is not a control
  EXPECT_EQ(boxes[1].kind, "Button");
  EXPECT_EQ(boxes[1].left, 100);
  EXPECT_EQ(boxes[1].bottom, 175);
  EXPECT_EQ(boxes[1].room_width, 66);
  EXPECT_EQ(boxes[1].font, -12);
  EXPECT_TRUE(boxes[1].visible);
  EXPECT_EQ(boxes[1].text, "connect");
  EXPECT_TRUE(parse_report("control Static 1 2 3\ncontrol Static 1 2 3 4 text=1 room=1x1 "
                           "font=0 visible=1 \"\"\n")
                  .empty());
}

TEST(DpiLayoutCheck, ClippedOnlyWhenShownTextOutgrowsItsRoom) {
  Box b;
  b.text = "连接";
  b.visible = true;
  b.text_width = 24, b.text_height = 12, b.room_width = 24, b.room_height = 12;
  EXPECT_FALSE(clipped(b));
  b.text_width = 25;
  EXPECT_TRUE(clipped(b));
  b.visible = false;
  EXPECT_FALSE(clipped(b)) << "a hidden control shows nothing";
  b.visible = true, b.text_width = 24, b.text_height = 13;
  EXPECT_TRUE(clipped(b));
  b.text.clear();
  EXPECT_FALSE(clipped(b));
}

TEST(DpiLayoutCheck, AcceptsALayoutScaledByTheRatio) {
  const auto before = parse_report(kReport96);
  // At 144 dpi: edges x1.5, the label as wide and tall as its larger text, the combo's field
  // as tall as its font makes it, every font 18 px.
  const auto after = parse_report(
      "control Static 30 45 121 66 text=91x21 room=91x21 font=-18 visible=1 \"label\"\n"
      "control Button 150 225 255 262 text=72x21 room=99x31 font=-18 visible=1 \"connect\"\n"
      "control ComboBox 15 90 165 116 text=45x21 room=120x21 font=-18 visible=1 \"node\"\n"
      "control Edit 15 135 165 166 text=0x0 room=144x24 font=-18 visible=1 \"\"\n");
  EXPECT_TRUE(compare_scaled(before, 96, after, 144, 1).empty());
}

TEST(DpiLayoutCheck, FindsWhatARelayoutMissed) {
  const auto before = parse_report(kReport96);
  auto after = parse_report(
      "control Static 30 45 121 66 text=91x21 room=91x21 font=-18 visible=1 \"label\"\n"
      "control Button 150 225 255 262 text=72x21 room=99x31 font=-18 visible=1 \"connect\"\n"
      "control ComboBox 15 90 165 116 text=45x21 room=120x21 font=-18 visible=1 \"node\"\n"
      "control Edit 15 135 165 166 text=0x0 room=144x24 font=-18 visible=1 \"\"\n");
  auto one_problem = [&](const std::vector<Box>& a) {
    const auto problems = compare_scaled(before, 96, a, 144, 1);
    return problems.size() == 1 ? problems[0] : "problems: " + std::to_string(problems.size());
  };
  auto moved = after;
  moved[1].left = 148;  // two pixels off
  EXPECT_NE(one_problem(moved).find("connect\": left 148, expected 150"), std::string::npos)
      << one_problem(moved);
  auto unsized = after;
  unsized[3].right = 111;  // still its 96-dpi width
  EXPECT_NE(one_problem(unsized).find("right"), std::string::npos);
  auto old_font = after;
  old_font[1].font = -12;  // the font was not made again
  EXPECT_NE(one_problem(old_font).find("font height"), std::string::npos);
  auto cut = after;
  cut[0].right = 110;  // a label narrower than its caption
  EXPECT_NE(one_problem(cut).find("no longer as wide as its text"), std::string::npos);
  after.pop_back();
  EXPECT_NE(one_problem(after).find("has 3 controls, had 4"), std::string::npos);
}

}  // namespace
}  // namespace qvx
