#include <array>
#include <cctype>
#include <string>

#include "status/unit2.h"

namespace qvx {
namespace {

using Parts = std::array<std::string, 6>;

bool is_digit(char c) {
  return std::isdigit(static_cast<unsigned char>(c)) != 0;
}
bool is_blank(char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Digits of one part, leading zeros dropped, so parts of any width compare as numbers.
bool take_number(const std::string& s, std::size_t& i, std::string& out) {
  const std::size_t start = i;
  while (i < s.size() && is_digit(s[i])) ++i;
  if (i == start) return false;
  std::size_t first = start;
  while (first + 1 < i && s[first] == '0') ++first;
  out = s.substr(first, i - first);
  return true;
}

// "year-month-day hour:minute:second"; the time parts may be split by any one non-digit.
bool parse_time(const std::string& s, Parts& parts) {
  std::size_t i = 0;
  while (i < s.size() && is_blank(s[i])) ++i;
  for (int p = 0; p < 6; ++p) {
    if (!take_number(s, i, parts[p])) return false;
    if (p == 5) break;
    if (i >= s.size()) return false;
    if (p < 2) {
      if (s[i++] != '-') return false;
    } else if (p == 2) {
      if (!is_blank(s[i])) return false;
      while (i < s.size() && is_blank(s[i])) ++i;
    } else {
      ++i;  // the digit test of the next part rejects a second separator character
    }
  }
  while (i < s.size() && is_blank(s[i])) ++i;
  return i == s.size();
}

int compare_number(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return a.size() < b.size() ? -1 : 1;
  return a.compare(b);
}

}  // namespace

bool subscription_valid(const std::string& expiry_time, const std::string& server_time) {
  Parts expiry, now;
  if (!parse_time(expiry_time, expiry) || !parse_time(server_time, now)) return false;
  for (int p = 0; p < 6; ++p) {
    const int c = compare_number(expiry[p], now[p]);
    if (c != 0) return c > 0;
  }
  return false;  // the same moment counts as expired
}

}  // namespace qvx
