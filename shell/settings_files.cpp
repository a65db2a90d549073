// softsetup.ini (site configuration) and user.ini (remembered account, password and options).
// Both rest scrambled on disk. They are unscrambled in memory, and every write replaces the
// whole file in one step, so the disk never holds the plain text nor a half-written file.
#include <array>
#include <cctype>
#include <climits>
#include <sstream>

#include "shell/application.h"
#include "shell/password.h"
#include "shell/unit1.h"

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

// Line reader over the plain content; false once the content has run out.
class Lines {
 public:
  explicit Lines(const std::string& text) : text_(text) {}
  bool next(std::string& line) {
    if (pos_ >= text_.size()) return false;
    const auto end = text_.find('\n', pos_);
    line = text_.substr(pos_, end == std::string::npos ? std::string::npos : end - pos_);
    pos_ = end == std::string::npos ? text_.size() : end + 1;
    return true;
  }

 private:
  const std::string& text_;
  std::size_t pos_ = 0;
};

}  // namespace

void TForm1::read_site_config() {
  platform::Platform& os = app.platform;
  const std::string path = app_dir + "softsetup.ini";
  const auto bytes = os.files.read(path);
  if (!bytes) return;
  const std::string plain = unscramble_file_bytes(*bytes, os.clock);

  // Position decides the member; a short file keeps the built-in values for the rest.
  std::array<std::string*, 7> members = {&app_title,         &login_page_url, &register_url,
                                         &find_password_url, &site_url,       &help_url,
                                         &settings_url};
  std::istringstream tokens(plain);
  std::string token;
  for (std::string* member : members) {
    if (!(tokens >> token)) break;
    *member = value_after_first_equals(token);
  }
  os.files.replace(path, scramble_to_file_bytes(plain, os.clock));
}

void TForm1::load_user_settings() {
  platform::Platform& os = app.platform;
  const std::string path = app_dir + "user.ini";
  const std::string plain = unscramble_file_bytes(os.files.read(path).value_or(""), os.clock);

  Lines lines(plain);
  std::string line;
  bool reading = true;
  auto read_number = [&](int& member) {
    if (!reading) return;
    int value = 0;
    reading = lines.next(line) && parse_number_line(line, value);
    if (reading) member = value;
  };
  auto read_text = [&](std::string& member) {
    if (!reading) return;
    reading = lines.next(line);
    if (reading) member = line;
  };

  read_number(remember_account);
  read_text(account);
  // The boxes are set as a user would set them, so their handlers keep the record in step.
  if (remember_account == 1) {
    Edit1.set_text(account);
    suiCheckBox1.set_checked(true);
  } else {
    suiCheckBox1.set_checked(false);
    Edit1.set_text("");
    account = Edit1.text();
  }

  read_number(remember_password);
  read_text(user_password);
  if (remember_password == 1) {
    Edit2.set_text(user_password);
    suiCheckBox2.set_checked(true);
  } else {
    suiCheckBox2.set_checked(false);
    Edit2.set_text("");
    user_password = Edit2.text();
  }

  for (int* member : {&auto_connect, &spare_option, &remember_choices, &verify_server, &node_choice,
                      &network_mode, &relay_mode, &minimize_on_connect, &no_exit_prompt}) {
    read_number(*member);
  }
  os.files.replace(path, scramble_to_file_bytes(plain, os.clock));
}

void TForm1::save_user_settings() {
  platform::Platform& os = app.platform;
  // A text the scrambled form cannot carry (a pasted "~" would cut off every later line) is
  // stored empty rather than losing the options after it.
  auto carried = [](const std::string& text) {
    return scrambler_can_carry(text) ? text : std::string();
  };
  std::string plain;
  auto put = [&plain](const std::string& line) { plain += line + "\n"; };
  put(std::to_string(remember_account));
  put(carried(account));
  put(std::to_string(remember_password));
  put(carried(user_password));
  for (int value : {auto_connect, spare_option, remember_choices, verify_server, node_choice,
                    network_mode, relay_mode, minimize_on_connect, no_exit_prompt}) {
    put(std::to_string(value));
  }
  os.files.replace(app_dir + "user.ini", scramble_to_file_bytes(plain, os.clock));
  write_log("更新用户配置文件");
}

}  // namespace qvx
