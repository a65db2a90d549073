// One window's DPI and the controls' font in its four styles at that DPI. A window that moves
// to a monitor of another DPI makes a new one and drops the old, whose fonts go with it.
// "High DPI Desktop Application Development on Windows", learn.microsoft.com: a per-monitor
// aware window re-creates its fonts and other DPI-dependent resources on WM_DPICHANGED.
#pragma once
#include <windows.h>

#include "widgets/control.h"

namespace qvx::widgets::win32 {

class WindowScale {
 public:
  explicit WindowScale(int dpi);
  ~WindowScale();
  WindowScale(const WindowScale&) = delete;
  WindowScale& operator=(const WindowScale&) = delete;

  int dpi() const { return dpi_; }
  // Layouts are written for 96 dpi.
  int scale(int v) const;
  RECT scale(const Rect& r) const;
  // 宋体 12 px at 96 dpi, made on first use.
  HFONT font(bool bold, bool underline);

 private:
  int dpi_;
  HFONT fonts_[4] = {};
};

}  // namespace qvx::widgets::win32
