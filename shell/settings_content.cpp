#include "shell/settings_content.h"

#include <array>
#include <cctype>
#include <climits>
#include <sstream>

#include "shell/password.h"
#include "verify/client_record.h"

namespace qvx {
namespace {

std::string value_after_first_equals(const std::string& token) {
  const auto eq = token.find('=');
  return eq == std::string::npos ? token : token.substr(eq + 1);
}

// A number line: optional sign and decimal digits, nothing else but trailing blanks.
bool parse_number_line(const std::string& line, int& out) {
  std::size_t p = 0;
  bool negative = false;
  if (p < line.size() && (line[p] == '+' || line[p] == '-')) negative = line[p++] == '-';
  if (p >= line.size() || !std::isdigit(static_cast<unsigned char>(line[p]))) return false;
  long long value = 0;
  for (; p < line.size() && std::isdigit(static_cast<unsigned char>(line[p])); ++p) {
    value = value * 10 + (line[p] - '0');
    if (value > INT_MAX + 1LL) return false;
  }
  for (; p < line.size(); ++p) {
    if (!std::isspace(static_cast<unsigned char>(line[p]))) return false;
  }
  if (negative) value = -value;
  if (value > INT_MAX || value < INT_MIN) return false;
  out = static_cast<int>(value);
  return true;
}

}  // namespace

void read_site_config_content(const std::string& plain, ClientRecord& record) {
  std::array<std::string*, 7> members = {
      &record.app_title, &record.login_page_url, &record.register_url, &record.find_password_url,
      &record.site_url,  &record.help_url,       &record.settings_url};
  std::istringstream tokens(plain);
  std::string token;
  for (std::string* member : members) {
    if (!(tokens >> token)) break;
    *member = value_after_first_equals(token);
  }
}

bool UserSettingsReader::next_line(std::string& line) {
  if (pos_ >= text_.size()) return false;
  const auto end = text_.find('\n', pos_);
  line = text_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
  pos_ = end == std::string::npos ? text_.size() : end + 1;
  return true;
}

void UserSettingsReader::read_number(int& member) {
  if (!reading_) return;
  std::string line;
  int value = 0;
  reading_ = next_line(line) && parse_number_line(line, value);
  if (reading_) member = value;
}

void UserSettingsReader::read_text(std::string& member) {
  if (!reading_) return;
  std::string line;
  reading_ = next_line(line);
  if (reading_) member = line;
}

void UserSettingsReader::read_account(ClientRecord& record) {
  read_number(record.remember_account);
  read_text(record.account);
}

void UserSettingsReader::read_password(ClientRecord& record) {
  read_number(record.remember_password);
  read_text(record.user_password);
}

void UserSettingsReader::read_options(ClientRecord& record) {
  for (int* member : {&record.auto_connect, &record.spare_option, &record.remember_choices,
                      &record.verify_server, &record.node_choice, &record.network_mode,
                      &record.relay_mode, &record.minimize_on_connect, &record.no_exit_prompt}) {
    read_number(*member);
  }
}

void UserSettingsReader::read_redial(ClientRecord& record) {
  read_number(record.auto_redial);
}

std::string user_settings_content(const ClientRecord& record) {
  // A text the file cannot carry is stored empty rather than losing the options after it: a
  // pasted "~" would cut off every later line, a line break would shift them.
  auto carried = [](const std::string& text) {
    return scrambler_can_carry(text) && text.find('\n') == std::string::npos ? text : std::string();
  };
  std::string plain;
  auto put = [&plain](const std::string& line) { plain += line + "\n"; };
  put(std::to_string(record.remember_account));
  put(carried(record.account));
  put(std::to_string(record.remember_password));
  put(carried(record.user_password));
  for (int value : {record.auto_connect, record.spare_option, record.remember_choices,
                    record.verify_server, record.node_choice, record.network_mode,
                    record.relay_mode, record.minimize_on_connect, record.no_exit_prompt}) {
    put(std::to_string(value));
  }
  put(std::to_string(record.auto_redial));
  return plain;
}

}  // namespace qvx
