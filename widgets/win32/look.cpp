#include "widgets/win32/look.h"

#include "widgets/dpi_scale.h"
#include "widgets/win32/dpi.h"

namespace qvx::widgets::win32 {

Look::Look() : dpi_(system_dpi()) {}

Look::~Look() {
  for (auto& entry : brushes_) DeleteObject(entry.second);
}

int Look::scale(int v) const {
  return scale_px(v, dpi_);
}

int Look::unscale(int v) const {
  return unscale_px(v, dpi_);
}

HBRUSH Look::brush(Color c) {
  const std::uint32_t key = (std::uint32_t{c.r} << 16) | (std::uint32_t{c.g} << 8) | c.b;
  auto it = brushes_.find(key);
  if (it == brushes_.end()) it = brushes_.emplace(key, CreateSolidBrush(to_colorref(c))).first;
  return it->second;
}

}  // namespace qvx::widgets::win32
