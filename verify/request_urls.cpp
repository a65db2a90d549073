#include "verify/request_urls.h"

#include "shell/crt_random.h"

namespace qvx {

std::string percent_encode(const std::string& bytes) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const unsigned char u = static_cast<unsigned char>(c);
    const bool plain =
        (u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9') || u == '_';
    if (plain) {
      out += c;
    } else {
      out += '%';
      out += kHex[u >> 4];
      out += kHex[u & 0xF];
    }
  }
  return out;
}

std::string request_token(platform::Clock& clock) {
  crt::srand(static_cast<unsigned>(clock.now()));
  std::string token;
  for (int i = 0; i < 5; ++i) token += static_cast<char>('a' + crt::rand() % 25);
  return token;
}

}  // namespace qvx
