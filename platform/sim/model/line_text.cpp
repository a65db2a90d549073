#include "platform/sim/model/line_text.h"

#include <cstdio>
#include <cstdlib>
#include <sstream>

namespace qvx::model {

std::uint32_t number(const std::string& text) {
  return static_cast<std::uint32_t>(std::strtoul(text.c_str(), nullptr, 0));
}

std::vector<std::string> words(const std::string& line) {
  std::istringstream in(line);
  std::vector<std::string> out;
  for (std::string w; in >> w;) out.push_back(w);
  return out;
}

std::vector<std::string> split(const std::string& text, char by) {
  std::vector<std::string> out;
  std::istringstream in(text);
  for (std::string part; std::getline(in, part, by);) {
    if (!part.empty()) out.push_back(part);
  }
  return out;
}

std::map<std::string, std::string> key_values(const std::vector<std::string>& w, std::size_t from) {
  std::map<std::string, std::string> out;
  for (std::size_t i = from; i < w.size(); ++i) {
    const auto eq = w[i].find('=');
    out[w[i].substr(0, eq)] = eq == std::string::npos ? "" : unescape(w[i].substr(eq + 1));
  }
  return out;
}

std::string escape(const std::string& text) {
  std::string out;
  for (unsigned char c : text) {
    if (c <= 0x20 || c == 0x7f || c == '%' || c == '=') {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%%%02X", c);
      out += buf;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

std::string unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '%' && i + 2 < text.size()) {
      out += static_cast<char>(std::strtoul(text.substr(i + 1, 2).c_str(), nullptr, 16));
      i += 2;
    } else {
      out += text[i];
    }
  }
  return out;
}

}  // namespace qvx::model
