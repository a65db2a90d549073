#include "shell/password.h"

#include <cctype>
#include <climits>
#include <cstring>

#include "platform/text_mode.h"
#include "shell/crt_random.h"

namespace qvx {
namespace {

constexpr char kPunctuation[] = ".-*+[]_!$():;|\\/";  // indices 53..68

// Eleven characters are swapped rather than shifted, each direction by its own table.
constexpr char kPlainSide[] = "\n %&,<=>?@~";
constexpr char kStoredSide[] = "@^=<%>~?,&\n";
// Reverse direction: stored -> plain.
constexpr char kStoredKeys[] = "@^=<%>~?,&\n";
constexpr char kPlainValues[] = "\n %&,<=>?@~";

int lookup(const char* keys, char c) {
  for (int i = 0; keys[i]; ++i) {
    if (keys[i] == c) return i;
  }
  return -1;
}

int non_negative_mod(std::int64_t value, int divisor) {
  const std::int64_t r = value % divisor;
  return static_cast<int>(r < 0 ? r + divisor : r);
}

bool is_high(char c) {
  return static_cast<unsigned char>(c) >= 128;
}

}  // namespace

int symbol_index(char c) {
  if (c >= 'a' && c <= 'z') return c - 'a' + 1;
  if (c >= 'A' && c <= 'Z') return c - 'A' + 27;
  if (c >= '0' && c <= '9') return c - '0' + 69;
  if (c == 0) return 0;
  const char* p = std::strchr(kPunctuation, c);
  return p ? static_cast<int>(p - kPunctuation) + 53 : 0;
}

char index_symbol(int index) {
  if (index <= 0 || index > 78) index = 78;
  if (index <= 26) return static_cast<char>('a' + index - 1);
  if (index <= 52) return static_cast<char>('A' + index - 27);
  if (index <= 68) return kPunctuation[index - 53];
  return static_cast<char>('0' + index - 69);
}

password::password(platform::Clock& clock) : clock_(clock) {
  crt::srand(static_cast<unsigned>(clock_.now()));
  key1 = crt::rand() * 168;
  key2 = crt::rand() * 25;
}

int password::block_length() const {
  return non_negative_mod(key1, 4) + 1;
}
int password::filler_count() const {
  return non_negative_mod(key2, 5) + 3;
}
int password::shift() const {
  return non_negative_mod(std::int64_t{key1} + key2, 8);
}

int password::scramble(const std::string& plain) {
  crt::srand(static_cast<unsigned>(clock_.now()));
  scrambled_text.clear();
  const int n = block_length();
  const int m = filler_count();
  for (std::size_t i = 0; i < plain.size(); ++i) {
    if (i % static_cast<std::size_t>(n) == 0) {
      for (int f = 0; f < m; ++f) scrambled_text += static_cast<char>('a' + crt::rand() % 26);
    }
    scrambled_text += plain[i];
  }
  const int s = shift();
  for (char& c : scrambled_text) {
    if (is_high(c)) continue;
    const int swap = lookup(kPlainSide, c);
    if (swap >= 0) {
      c = kStoredSide[swap];
      continue;
    }
    int index = symbol_index(c) + s;
    if (index > 78) index -= 78;
    c = index_symbol(index);
  }
  return 0;
}

std::string password::unscramble() const {
  const std::size_t m = static_cast<std::size_t>(filler_count());
  const std::size_t period = static_cast<std::size_t>(block_length()) + m;
  const int s = shift();
  std::string plain;
  for (std::size_t i = 0; i < scrambled_text.size(); ++i) {
    if (i % period < m) continue;
    const char c = scrambled_text[i];
    if (is_high(c)) {
      plain += c;
      continue;
    }
    const int swap = lookup(kStoredKeys, c);
    if (swap >= 0) {
      plain += kPlainValues[swap];
      continue;
    }
    const int f = symbol_index(c);
    plain += index_symbol(f > s ? f - s : f - s + 78);
  }
  return plain;
}

std::string scrambled_file_bytes(const password& p) {
  return platform::to_disk_text(std::to_string(p.key1) + "\n" + std::to_string(p.key2) + "\n" +
                                p.scrambled_text);
}

namespace {

// Formatted integer extraction: white space, optional sign, digits; out of range saturates.
bool extract_int(const std::string& s, std::size_t& pos, std::int32_t& out) {
  while (pos < s.size() && std::isspace(static_cast<unsigned char>(s[pos]))) ++pos;
  std::size_t p = pos;
  bool negative = false;
  if (p < s.size() && (s[p] == '+' || s[p] == '-')) negative = s[p++] == '-';
  if (p >= s.size() || !std::isdigit(static_cast<unsigned char>(s[p]))) return false;
  std::int64_t value = 0;
  for (; p < s.size() && std::isdigit(static_cast<unsigned char>(s[p])); ++p) {
    if (value <= std::int64_t{INT_MAX} + 1) value = value * 10 + (s[p] - '0');
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  if (value < INT_MIN) value = INT_MIN;
  out = static_cast<std::int32_t>(value);
  pos = p;
  return true;
}

}  // namespace

std::string unscramble_file_bytes(const std::string& disk_bytes, platform::Clock& clock) {
  const std::string text = platform::from_disk_text(disk_bytes);
  password p(clock);
  std::size_t pos = 0;
  if (!extract_int(text, pos, p.key1) || !extract_int(text, pos, p.key2)) return {};
  while (pos < text.size() && std::isspace(static_cast<unsigned char>(text[pos]))) ++pos;
  std::size_t end = pos;
  while (end < text.size() && !std::isspace(static_cast<unsigned char>(text[end]))) ++end;
  p.scrambled_text = text.substr(pos, end - pos);
  return p.unscramble();
}

std::string scramble_to_file_bytes(const std::string& plain, platform::Clock& clock) {
  password p(clock);
  p.scramble(plain);
  return scrambled_file_bytes(p);
}

bool scrambler_can_carry(const std::string& text) {
  for (char c : text) {
    if (c == '~') return false;  // stored as a line break, which ends the stored text
    if (!is_high(c) && symbol_index(c) == 0 && lookup(kPlainSide, c) < 0) return false;
  }
  return true;
}

}  // namespace qvx
