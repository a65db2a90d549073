// http:// URLs as the simulated machine's downloader understands them.
#pragma once
#include <optional>
#include <string>

namespace qvx::sim {

struct HttpUrl {
  std::string host;
  int port = 80;
  std::string target;  // path and query, ready for the request line
};

// Nullopt for anything but a well-formed http:// URL. The fragment is dropped, as a browser
// does; bytes a request line cannot carry (blanks, controls, non-ASCII) are percent-encoded.
std::optional<HttpUrl> parse_http_url(const std::string& url);

// Where a redirect's Location leads from the URL that answered it.
std::string resolve_location(const HttpUrl& base, const std::string& location);

// The simulated machine reaches loopback only: 127/8 literals and "localhost".
bool is_loopback_host(const std::string& host);

}  // namespace qvx::sim
