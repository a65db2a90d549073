#include "widgets/win32/window_scale.h"

#include "widgets/dpi_scale.h"

namespace qvx::widgets::win32 {

namespace {
// 宋体, spelled out so the name does not depend on the compiler's wide character set.
constexpr wchar_t kSongTi[] = L"\x5B8B\x4F53";
constexpr int kFontPx = 12;
}  // namespace

WindowScale::WindowScale(int dpi) : dpi_(dpi > 0 ? dpi : kDesignDpi) {}

WindowScale::~WindowScale() {
  for (HFONT f : fonts_) {
    if (f) DeleteObject(f);
  }
}

int WindowScale::scale(int v) const {
  return scale_px(v, dpi_);
}

RECT WindowScale::scale(const Rect& r) const {
  const Edges e = scale_edges(r, dpi_);
  return RECT{e.left, e.top, e.right, e.bottom};
}

HFONT WindowScale::font(bool bold, bool underline) {
  HFONT& slot = fonts_[(bold ? 2 : 0) + (underline ? 1 : 0)];
  if (!slot) {
    // The GB2312 charset is what makes the font mapper pick a face with Chinese glyphs.
    slot = CreateFontW(-scale(kFontPx), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline,
                       FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                       DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, kSongTi);
  }
  return slot;
}

}  // namespace qvx::widgets::win32
