#include "shell/login_store.h"

namespace qvx {
namespace {

constexpr int kLoginLines = 4;
constexpr char kLoginValue[] = "Login";        // lines 1 to 3, plain
constexpr char kPasswordValue[] = "Password";  // line 4, a DPAPI blob; empty for none
// What a line missing from a short file reads as.
constexpr const char* kLineDefaults[] = {"0", "", "0"};

// The end of the n-th line (after its line break), or npos when the text has fewer.
std::size_t end_of_line(const std::string& text, int n) {
  std::size_t pos = 0;
  for (int i = 0; i < n; ++i) {
    const std::size_t lf = text.find('\n', pos);
    if (lf == std::string::npos) return std::string::npos;
    pos = lf + 1;
  }
  return pos;
}

std::optional<std::string> line_of(const std::string& text, int n) {
  const std::size_t start = n == 1 ? 0 : end_of_line(text, n - 1);
  if (start == std::string::npos || start >= text.size()) return std::nullopt;
  const std::size_t lf = text.find('\n', start);
  return text.substr(start, lf == std::string::npos ? std::string::npos : lf - start);
}

}  // namespace

SettingsParts split_login_lines(const std::string& plain) {
  const std::size_t end = end_of_line(plain, kLoginLines);
  if (end == std::string::npos) return {plain, ""};
  return {plain.substr(0, end), plain.substr(end)};
}

bool login_lines_carry_login(const std::string& login) {
  return !line_of(login, 2).value_or("").empty() || !line_of(login, 4).value_or("").empty();
}

std::string LoginStore::load(bool& password_lost) {
  password_lost = false;
  const auto first_lines = store_.read(kLoginValue);
  if (!first_lines || end_of_line(*first_lines, kLoginLines - 1) != first_lines->size()) {
    return kNoLogin;
  }
  std::string password;
  if (const auto blob = store_.read(kPasswordValue); blob && !blob->empty()) {
    const auto plain = protection_.unprotect(*blob);
    password_lost = !plain;
    password = plain.value_or("");
  }
  return *first_lines + password + "\n";
}

bool LoginStore::save(const std::string& login) {
  std::string first_lines;
  for (int n = 1; n < kLoginLines; ++n) {
    first_lines += line_of(login, n).value_or(kLineDefaults[n - 1]) + "\n";
  }
  const std::string password = line_of(login, kLoginLines).value_or("");
  std::optional<std::string> blob = std::string();
  if (!password.empty()) blob = protection_.protect(password);
  // A password that cannot be protected is not kept at all.
  const bool stored = store_.write(kPasswordValue, blob.value_or(""));
  return store_.write(kLoginValue, first_lines) && stored && blob;
}

}  // namespace qvx
