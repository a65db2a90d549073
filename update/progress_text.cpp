#include "update/progress_text.h"

#include <cstdio>

namespace qvx::update {
namespace {

// Whole kilobytes, rounded up so that a started kilobyte shows, with thousands separators.
std::string kilobytes(std::uint64_t bytes) {
  std::string digits = std::to_string((bytes + 1023) / 1024);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(at, ",");
  return digits + " KB";
}

}  // namespace

int progress_percent(std::uint64_t done, std::uint64_t total) {
  if (total == 0) return 0;
  if (done >= total) return 100;
  return static_cast<int>(done * 100 / total);
}

std::string progress_text(std::uint64_t done, std::uint64_t total, std::uint64_t elapsed_ms) {
  char speed[32];
  const double rate = elapsed_ms == 0 ? 0.0 : done / 1.024 / static_cast<double>(elapsed_ms);
  std::snprintf(speed, sizeof speed, "%.1f KB/s", rate);
  return "已下载 " + kilobytes(done) + " / " + kilobytes(total) + "，速度 " + speed;
}

}  // namespace qvx::update
