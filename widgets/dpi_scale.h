// Layouts are written in pixels at 96 dpi; a window shows them at its monitor's dpi. Every size
// on screen is computed from the 96-dpi value, never from the size at another dpi, so a window
// moved back and forth between monitors ends where it started.
#pragma once
#include "widgets/control.h"

namespace qvx::widgets {

constexpr int kDesignDpi = 96;

// v * dpi / 96 rounded to the nearest pixel, halves away from zero, as Windows' MulDiv does.
int scale_px(int v, int dpi);
// The inverse: a size on screen at dpi back in 96-dpi pixels.
int unscale_px(int v, int dpi);

struct Edges {
  int left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const Edges& o) const {
    return left == o.left && top == o.top && right == o.right && bottom == o.bottom;
  }
};

// The edges are scaled rather than the size, so controls that touch at 96 dpi still touch.
Edges scale_edges(const Rect& design, int dpi);

}  // namespace qvx::widgets
