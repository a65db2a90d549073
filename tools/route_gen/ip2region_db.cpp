#include "ip2region_db.h"

namespace qvx::route_gen {
namespace {

std::uint32_t le32(const std::string& b, std::size_t at) {
  return static_cast<std::uint32_t>(static_cast<unsigned char>(b[at])) |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 1])) << 8 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 2])) << 16 |
         static_cast<std::uint32_t>(static_cast<unsigned char>(b[at + 3])) << 24;
}

std::string field(const std::string& text, int n) {
  std::size_t start = 0;
  for (int i = 0; i < n; ++i) {
    start = text.find('|', start);
    if (start == std::string::npos) return {};
    ++start;
  }
  return text.substr(start, text.find('|', start) - start);
}

}  // namespace

std::optional<std::vector<RegionRange>> read_ip2region(const std::string& bytes) {
  if (bytes.size() < 8) return std::nullopt;
  const std::uint32_t first = le32(bytes, 0), last = le32(bytes, 4);
  if (first > last || std::uint64_t{last} + 12 > bytes.size() || (last - first) % 12 != 0) {
    return std::nullopt;
  }
  std::vector<RegionRange> out;
  for (std::uint64_t at = first; at <= last; at += 12) {
    const std::uint32_t ptr = le32(bytes, at + 8);
    const std::size_t offset = ptr & 0xFFFFFF, length = ptr >> 24;
    if (length < 4 || offset + length > bytes.size()) return std::nullopt;
    out.push_back({{le32(bytes, at), le32(bytes, at + 4)}, bytes.substr(offset + 4, length - 4)});
  }
  return out;
}

int network_of(const std::string& region) {
  if (field(region, 0) != u8"中国") return -1;
  const std::string isp = field(region, 4);
  if (isp == u8"电信") return 0;
  if (isp == u8"联通" || isp == u8"网通") return 1;
  if (isp == u8"教育网") return 2;
  return -1;
}

}  // namespace qvx::route_gen
