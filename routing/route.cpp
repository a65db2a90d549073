#include "routing/route.h"

#include <cctype>
#include <climits>

#include "platform/text_mode.h"

namespace qvx {
namespace {

// The files in the order they are loaded, with the table each fills.
struct RouteFile {
  const char* name;
  int table;
};
constexpr RouteFile kRouteFiles[] = {
    {"route\\CERNET.dat", CERNET}, {"route\\CHINANET.dat", CHINANET}, {"route\\CNC.dat", CNC}};

// Formatted extraction of one signed 32-bit integer; false ends the loading.
bool extract_int(const std::string& s, std::size_t& pos, std::int32_t& out) {
  while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
  std::size_t p = pos;
  const bool negative = p < s.size() && s[p] == '-';
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) ++p;
  if (p >= s.size() || !std::isdigit(static_cast<unsigned char>(s[p]))) return false;
  long long value = 0;
  for (; p < s.size() && std::isdigit(static_cast<unsigned char>(s[p])); ++p) {
    value = value * 10 + (s[p] - '0');
    if (value > INT_MAX + 1LL) return false;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return false;
  out = static_cast<std::int32_t>(value);
  pos = p;
  return true;
}

// The number at the start of a text, as atoi reads it (sign, digits, stop at anything else).
std::int32_t leading_number(const std::string& s, std::size_t& pos) {
  while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
  bool negative = false;
  if (pos < s.size() && (s[pos] == '+' || s[pos] == '-')) negative = s[pos++] == '-';
  long long value = 0;
  while (pos < s.size() && std::isdigit(static_cast<unsigned char>(s[pos]))) {
    if (value < INT_MAX) value = value * 10 + (s[pos] - '0');
    ++pos;
  }
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<std::int32_t>(negative ? -value : value);
}

bool row_matches(const RouteRow& row, const std::array<std::int32_t, 4>& octets) {
  for (int i = 0; i < 4; ++i) {
    const std::int32_t start = row[static_cast<std::size_t>(i)];
    const std::int32_t end = row[static_cast<std::size_t>(4 + i)];
    const std::int32_t a = octets[static_cast<std::size_t>(i)];
    if (a < start || a > end) return false;
    if (a > start && a < end) return true;
  }
  return true;
}

}  // namespace

std::uint32_t address_from_dotted(const std::string& text) {
  std::uint32_t octets[4];
  std::size_t pos = 0;
  for (int i = 0; i < 4; ++i) {
    if (pos >= text.size() || !std::isdigit(static_cast<unsigned char>(text[pos]))) {
      return platform::kInaddrNone;
    }
    std::uint32_t v = 0;
    while (pos < text.size() && std::isdigit(static_cast<unsigned char>(text[pos]))) {
      v = v * 10 + static_cast<std::uint32_t>(text[pos++] - '0');
      if (v > 255) return platform::kInaddrNone;
    }
    octets[i] = v;
    if (i < 3 && (pos >= text.size() || text[pos++] != '.')) return platform::kInaddrNone;
  }
  if (pos != text.size()) return platform::kInaddrNone;
  return octets[0] | octets[1] << 8 | octets[2] << 16 | octets[3] << 24;
}

std::string dotted_address(std::uint32_t network_order) {
  std::string out;
  for (int i = 0; i < 4; ++i) {
    if (i) out += '.';
    out += std::to_string((network_order >> (8 * i)) & 0xFF);
  }
  return out;
}

std::string network_name(int index) {
  switch (index) {
    case CHINANET:
      return "中国电信";
    case CNC:
      return "中国网通";
    case CERNET:
      return "教育网";
    default:
      return "未知网络";
  }
}

route::route(const platform::Platform& platform) : platform_(platform) {}

route::~route() = default;

void route::load(const std::string& app_dir) {
  for (const RouteFile& file : kRouteFiles) {
    const std::string text =
        platform::from_disk_text(platform_.files.read(app_dir + file.name).value_or(""));
    auto& table = tables[static_cast<std::size_t>(file.table)];
    std::size_t pos = 0;
    int rows = 0;
    // Only complete rows count; a table holds 500 at most and the rest of a file is ignored.
    for (; rows < kRouteRows; ++rows) {
      RouteRow row{};
      bool complete = true;
      for (auto& field : row) {
        if (!extract_int(text, pos, field)) {
          complete = false;
          break;
        }
      }
      if (!complete) break;
      table[static_cast<std::size_t>(rows)] = row;
    }
    row_counts[static_cast<std::size_t>(file.table)] = rows;
  }
}

int route::identify_network(const std::string& address_text) {
  // Four dot-separated numbers; anything else matches no network.
  std::size_t pos = 0;
  int dots = 0;
  for (char c : address_text) dots += c == '.';
  for (int i = 0; i < 4; ++i) {
    address_octets[static_cast<std::size_t>(i)] = leading_number(address_text, pos);
    const auto dot = address_text.find('.', pos);
    pos = dot == std::string::npos ? address_text.size() : dot + 1;
  }
  own_network = NO_NETWORK;
  if (dots < 3) return own_network;
  for (int t = 0; t < kRouteTables; ++t) {
    const auto& table = tables[static_cast<std::size_t>(t)];
    for (int r = 0; r < row_counts[static_cast<std::size_t>(t)]; ++r) {
      if (row_matches(table[static_cast<std::size_t>(r)], address_octets)) {
        own_network = t;
        return own_network;
      }
    }
  }
  return own_network;
}

}  // namespace qvx
