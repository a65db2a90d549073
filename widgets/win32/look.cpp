#include "widgets/win32/look.h"

namespace qvx::widgets::win32 {

namespace {
// 宋体, spelled out so the name does not depend on the compiler's wide character set.
constexpr wchar_t kSongTi[] = L"\x5B8B\x4F53";
}  // namespace

Look::Look() {
  if (HDC screen = GetDC(nullptr)) {
    dpi_ = GetDeviceCaps(screen, LOGPIXELSY);
    ReleaseDC(nullptr, screen);
  }
  if (dpi_ <= 0) dpi_ = 96;
}

Look::~Look() {
  for (HFONT f : fonts_) {
    if (f) DeleteObject(f);
  }
  for (auto& entry : brushes_) DeleteObject(entry.second);
}

RECT Look::scale(const Rect& r) const {
  return RECT{scale(r.left), scale(r.top), scale(r.left + r.width), scale(r.top + r.height)};
}

HFONT Look::font(bool bold, bool underline) {
  HFONT& slot = fonts_[(bold ? 2 : 0) + (underline ? 1 : 0)];
  if (!slot) {
    // The GB2312 charset is what makes the font mapper pick a face with Chinese glyphs.
    slot = CreateFontW(-scale(12), 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, underline, FALSE,
                       GB2312_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                       DEFAULT_PITCH | FF_DONTCARE, kSongTi);
  }
  return slot;
}

HBRUSH Look::brush(Color c) {
  const std::uint32_t key = (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
  auto it = brushes_.find(key);
  if (it == brushes_.end()) it = brushes_.emplace(key, CreateSolidBrush(to_colorref(c))).first;
  return it->second;
}

}  // namespace qvx::widgets::win32
