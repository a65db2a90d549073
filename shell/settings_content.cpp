#include "shell/settings_content.h"

#include <cctype>
#include <climits>
#include <sstream>

#include "shell/password.h"
#include "shell/site_config_fields.h"
#include "shell/user_ini_fields.h"
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

void set_site_config_defaults(ClientRecord& record, const Deployment& deployment) {
  for (const SiteConfigField& f : kSiteConfigFields) record.*f.member = f.built_in(deployment);
}

void read_site_config_content(const std::string& plain, ClientRecord& record) {
  std::istringstream tokens(plain);
  std::string token;
  for (const SiteConfigField& f : kSiteConfigFields) {
    if (!(tokens >> token)) break;
    record.*f.member = value_after_first_equals(token);
  }
}

void set_user_ini_defaults(ClientRecord& record) {
  for (const UserIniField& f : kUserIniFields) {
    if (f.number) {
      record.*f.number = f.default_value;
    } else {
      (record.*f.text).clear();
    }
  }
}

bool UserSettingsReader::next_line(std::string& line) {
  if (pos_ >= text_.size()) return false;
  const auto end = text_.find('\n', pos_);
  line = text_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
  pos_ = end == std::string::npos ? text_.size() : end + 1;
  return true;
}

void UserSettingsReader::read_through(int last, ClientRecord& record) {
  for (; reading_ && lines_read_ < last && lines_read_ < kUserIniLines; ++lines_read_) {
    const UserIniField& f = kUserIniFields[lines_read_];
    std::string line;
    int value = 0;
    reading_ = next_line(line) && (f.text || parse_number_line(line, value));
    if (!reading_) return;
    if (f.text) {
      record.*f.text = line;
    } else {
      record.*f.number = value;
    }
  }
}

void UserSettingsReader::read_rest(ClientRecord& record) {
  read_through(kUserIniLines, record);
}

std::string user_settings_content(const ClientRecord& record) {
  // A text the file cannot carry is stored empty rather than losing the options after it: a
  // pasted "~" would cut off every later line, a line break would shift them.
  auto carried = [](const std::string& text) {
    return scrambler_can_carry(text) && text.find('\n') == std::string::npos ? text : std::string();
  };
  std::string plain;
  for (const UserIniField& f : kUserIniFields) {
    plain += f.text ? carried(record.*f.text) : std::to_string(record.*f.number);
    plain += '\n';
  }
  return plain;
}

}  // namespace qvx
