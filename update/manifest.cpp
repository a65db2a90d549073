#include "update/manifest.h"

#include <map>
#include <vector>

namespace qvx::update {
namespace {

bool digits(const std::string& s) {
  return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
}

bool printable_ascii(const std::string& s) {
  for (char c : s) {
    if (c < 0x20 || c > 0x7e) return false;
  }
  return true;
}

// Absolute http or https URL with a host and no spaces.
bool valid_url(const std::string& url) {
  std::size_t host = 0;
  if (url.rfind("http://", 0) == 0) {
    host = 7;
  } else if (url.rfind("https://", 0) == 0) {
    host = 8;
  } else {
    return false;
  }
  return url.size() > host && url[host] != '/' && url.find(' ') == std::string::npos;
}

bool valid_hex64(const std::string& s) {
  return s.size() == 64 && s.find_first_not_of("0123456789abcdefABCDEF") == std::string::npos;
}

std::vector<std::string> split_lines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n') {
      if (!lines.back().empty() && lines.back().back() == '\r') lines.back().pop_back();
      lines.emplace_back();
    } else {
      lines.back() += c;
    }
  }
  if (lines.back().empty()) lines.pop_back();
  return lines;
}

ManifestResult refuse(const std::string& why) {
  return {std::nullopt, why};
}

}  // namespace

std::string version_number(const std::string& display) {
  // 1.23 or 1.23.4: one digit, two digits, an optional one-digit patch.
  const bool shape = (display.size() == 4 || (display.size() == 6 && display[4] == '.')) &&
                     display[1] == '.' && display[0] >= '1' && display[0] <= '9';
  if (!shape) return {};
  const std::string number =
      display.substr(0, 1) + display.substr(2, 2) + (display.size() == 6 ? display.substr(5) : "0");
  return digits(number) ? number : std::string();
}

ManifestResult parse_manifest(const std::string& text) {
  if (text.size() > kMaxManifestSize) return refuse("reply too long");
  const std::vector<std::string> lines = split_lines(text);
  if (lines.empty() || lines[0] != kManifestHeader) return refuse("not a quovix-update 1 reply");
  std::map<std::string, std::string> values;
  for (std::size_t i = 1; i < lines.size(); ++i) {
    const std::string& line = lines[i];
    if (line.empty()) continue;
    if (!printable_ascii(line)) return refuse("line " + std::to_string(i + 1) + " not ASCII");
    const std::size_t eq = line.find('=');
    if (eq == std::string::npos || eq == 0)
      return refuse("line " + std::to_string(i + 1) + " not key=value");
    if (!values.emplace(line.substr(0, eq), line.substr(eq + 1)).second)
      return refuse("duplicate " + line.substr(0, eq));
  }
  for (const char* key : {"version", "number", "url", "size", "sha256"}) {
    if (!values.count(key)) return refuse(std::string("no ") + key);
  }
  Manifest m;
  m.version = values["version"];
  m.number = values["number"];
  m.url = values["url"];
  m.sha256 = values["sha256"];
  const std::string expected = version_number(m.version);
  if (expected.empty()) return refuse("bad version " + m.version);
  if (m.number != expected) return refuse("number " + m.number + " is not version " + m.version);
  if (!valid_url(m.url)) return refuse("bad url");
  const std::string& size = values["size"];
  if (!digits(size) || size.size() > 12) return refuse("bad size");
  m.size = std::stoull(size);
  if (m.size < kMinSetupSize || m.size > kMaxSetupSize) return refuse("size out of bounds");
  if (!valid_hex64(m.sha256)) return refuse("bad sha256");
  for (char& c : m.sha256) {
    if (c >= 'A' && c <= 'F') c = static_cast<char>(c - 'A' + 'a');
  }
  return {m, {}};
}

}  // namespace qvx::update
