// What every native control is drawn with: the system DPI, the controls' font in its four
// styles and solid brushes by colour. Created once per UI, on the GUI thread.
#pragma once
#include <windows.h>

#include <cstdint>
#include <map>

#include "widgets/control.h"

namespace qvx::widgets::win32 {

class Look {
 public:
  Look();
  ~Look();
  Look(const Look&) = delete;
  Look& operator=(const Look&) = delete;

  int dpi() const { return dpi_; }
  // Layouts are written for 96 dpi.
  int scale(int v) const { return MulDiv(v, dpi_, 96); }
  int unscale(int v) const { return MulDiv(v, 96, dpi_); }
  RECT scale(const Rect& r) const;

  HFONT font(bool bold, bool underline);
  HBRUSH brush(Color c);

 private:
  int dpi_ = 96;
  HFONT fonts_[4] = {};
  std::map<std::uint32_t, HBRUSH> brushes_;
};

inline COLORREF to_colorref(Color c) {
  return RGB(c.r, c.g, c.b);
}

}  // namespace qvx::widgets::win32
