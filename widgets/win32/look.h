// What every native window shares: the system DPI and solid brushes by colour. Created once per
// UI, on the GUI thread. Each window's own DPI and fonts are in its WindowScale.
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

  // The system DPI: where a window first appears and what the work area is measured in.
  int dpi() const { return dpi_; }
  // Layouts are written for 96 dpi.
  int scale(int v) const;
  int unscale(int v) const;

  HBRUSH brush(Color c);

 private:
  int dpi_;
  std::map<std::uint32_t, HBRUSH> brushes_;
};

inline COLORREF to_colorref(Color c) {
  return RGB(c.r, c.g, c.b);
}

}  // namespace qvx::widgets::win32
