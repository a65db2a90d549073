#include "platform/sim/http_url.h"

#include <cctype>
#include <cstdio>
#include <cstring>

namespace qvx::sim {
namespace {

std::string lower(std::string s) {
  for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return s;
}

bool needs_escape(unsigned char c) {
  return c <= 0x20 || c >= 0x7F || std::strchr("\"<>\\^`{|}", c) != nullptr;
}

std::string escape_target(const std::string& raw) {
  static const char hex[] = "0123456789ABCDEF";
  std::string out;
  for (unsigned char c : raw) {
    if (needs_escape(c)) {
      out += '%';
      out += hex[c >> 4];
      out += hex[c & 15];
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

bool parse_port(const std::string& text, int* port) {
  if (text.empty() || text.size() > 5) return false;
  int value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  if (value < 1 || value > 65535) return false;
  *port = value;
  return true;
}

}  // namespace

std::optional<HttpUrl> parse_http_url(const std::string& url) {
  const std::string scheme = "http://";
  if (url.size() <= scheme.size() || lower(url.substr(0, scheme.size())) != scheme) {
    return std::nullopt;
  }
  const std::string rest = url.substr(scheme.size());
  const auto authority_end = rest.find_first_of("/?#");
  const std::string authority = rest.substr(0, authority_end);
  if (authority.empty() || authority.find_first_of("@[]") != std::string::npos) {
    return std::nullopt;
  }
  HttpUrl out;
  const auto colon = authority.find(':');
  out.host = lower(authority.substr(0, colon));
  if (out.host.empty()) return std::nullopt;
  for (unsigned char c : out.host) {
    if (!std::isalnum(c) && c != '.' && c != '-') return std::nullopt;
  }
  if (colon != std::string::npos && !parse_port(authority.substr(colon + 1), &out.port)) {
    return std::nullopt;
  }
  std::string target =
      authority_end == std::string::npos ? std::string() : rest.substr(authority_end);
  target = target.substr(0, target.find('#'));
  if (target.empty() || target[0] != '/') target = "/" + target;
  out.target = escape_target(target);
  return out;
}

std::string resolve_location(const HttpUrl& base, const std::string& location) {
  if (lower(location.substr(0, 7)) == "http://" || location.find("://") != std::string::npos) {
    return location;
  }
  const std::string origin = "http://" + base.host + ":" + std::to_string(base.port);
  if (!location.empty() && location[0] == '/') return origin + location;
  const std::string path = base.target.substr(0, base.target.find('?'));
  return origin + path.substr(0, path.rfind('/') + 1) + location;
}

bool is_loopback_host(const std::string& host) {
  if (lower(host) == "localhost") return true;
  int octets[4];
  char tail = 0;
  if (std::sscanf(host.c_str(), "%d.%d.%d.%d%c", &octets[0], &octets[1], &octets[2], &octets[3],
                  &tail) != 4) {
    return false;
  }
  for (int o : octets) {
    if (o < 0 || o > 255) return false;
  }
  return octets[0] == 127 && host.find_first_not_of("0123456789.") == std::string::npos;
}

}  // namespace qvx::sim
