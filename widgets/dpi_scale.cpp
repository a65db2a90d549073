#include "widgets/dpi_scale.h"

#include <cstdint>

namespace qvx::widgets {

namespace {
int mul_div(int v, int numerator, int denominator) {
  if (denominator <= 0) return v;
  const std::int64_t product = std::int64_t{v} * numerator;
  const std::int64_t half = denominator / 2;
  return static_cast<int>(product >= 0 ? (product + half) / denominator
                                       : -((-product + half) / denominator));
}
}  // namespace

int scale_px(int v, int dpi) {
  return mul_div(v, dpi, kDesignDpi);
}

int unscale_px(int v, int dpi) {
  return mul_div(v, kDesignDpi, dpi);
}

Edges scale_edges(const Rect& design, int dpi) {
  return Edges{scale_px(design.left, dpi), scale_px(design.top, dpi),
               scale_px(design.left + design.width, dpi),
               scale_px(design.top + design.height, dpi)};
}

}  // namespace qvx::widgets
