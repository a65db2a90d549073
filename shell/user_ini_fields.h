// user.ini, one row per line. Reading, writing, the record's defaults, the settings window and
// the fuzzers all go by this table. Older versions read the first thirteen lines and ignore the
// rest, and newer ones keep the members of lines a file lacks, so a new field is a new row at
// the end.
#pragma once
#include <climits>
#include <cstddef>
#include <iterator>
#include <string>

#include "verify/client_record.h"

namespace qvx {

// A check box of the settings window that shows a field of two values.
struct SettingsBox {
  int slot = 0;  // its place among the window's boxes (1 is the autostart box); 0: none
  const char* caption = "";
  int ticked = 1;  // stored when ticked; the range's other end when unticked
};

struct UserIniField {
  int line;
  const char* name;
  // A number line (decimal, optional sign) or a text line; texts start empty.
  int ClientRecord::*number;
  std::string ClientRecord::*text;
  int default_value;
  // The values the program gives a meaning. Any other number is kept as read and written back.
  int min, max;
  SettingsBox box;

  int unticked() const { return box.ticked == min ? max : min; }
};

namespace user_ini_rows {

constexpr UserIniField text(int line, const char* name, std::string ClientRecord::*member) {
  return {line, name, nullptr, member, 0, 0, 0, {}};
}
constexpr UserIniField number(int line, const char* name, int ClientRecord::*member,
                              int default_value, int min, int max) {
  return {line, name, member, nullptr, default_value, min, max, {}};
}
constexpr UserIniField flag(int line, const char* name, int ClientRecord::*member,
                            SettingsBox box = {}) {
  return {line, name, member, nullptr, 0, 0, 1, box};
}

}  // namespace user_ini_rows

inline constexpr UserIniField kUserIniFields[] = {
    user_ini_rows::flag(1, "remember_account", &ClientRecord::remember_account),
    // Written whatever line 1 says.
    user_ini_rows::text(2, "account", &ClientRecord::account),
    user_ini_rows::flag(3, "remember_password", &ClientRecord::remember_password),
    // Not hashed: only the scrambling of the whole file hides it. Written whatever line 3 says.
    user_ini_rows::text(4, "user_password", &ClientRecord::user_password),
    user_ini_rows::flag(5, "auto_connect", &ClientRecord::auto_connect, {2, "登录后自动连接", 1}),
    // Kept and written back; nothing acts on it.
    user_ini_rows::number(6, "spare_option", &ClientRecord::spare_option, 0, INT_MIN, INT_MAX),
    user_ini_rows::flag(7, "remember_choices", &ClientRecord::remember_choices,
                        {4, "记录连接信息", 1}),
    // The verification server that answered last.
    user_ini_rows::number(8, "verify_server", &ClientRecord::verify_server, 1, 1, 3),
    // Item indices of the status window's three boxes.
    user_ini_rows::number(9, "node_choice", &ClientRecord::node_choice, 0, 0, kNodeSlots - 1),
    user_ini_rows::number(10, "network_mode", &ClientRecord::network_mode, 0, 0, 1),
    user_ini_rows::number(11, "relay_mode", &ClientRecord::relay_mode, 0, 0, 1),
    user_ini_rows::flag(12, "minimize_on_connect", &ClientRecord::minimize_on_connect,
                        {3, "连接成功后最小化", 1}),
    // The box asks "prompt at exit?", so ticked stores 0.
    user_ini_rows::flag(13, "no_exit_prompt", &ClientRecord::no_exit_prompt,
                        {5, "退出时是否提示", 0}),
    user_ini_rows::flag(14, "auto_redial", &ClientRecord::auto_redial, {6, "断线自动重连", 1}),
};

inline constexpr int kUserIniLines = static_cast<int>(std::size(kUserIniFields));

// The line of a text member, for the reader's stops between lines.
constexpr int user_ini_line(std::string ClientRecord::*member) {
  for (const UserIniField& f : kUserIniFields) {
    if (f.text == member) return f.line;
  }
  return 0;
}

// How many boxes the settings window shows for user.ini fields.
constexpr int settings_box_count() {
  int count = 0;
  for (const UserIniField& f : kUserIniFields) count += f.box.slot != 0;
  return count;
}

// The rules a row must keep; a row that breaks one does not compile.
constexpr bool user_ini_rows_hold() {
  int line = 0;
  for (const UserIniField& f : kUserIniFields) {
    if (f.line != ++line) return false;  // one row per line, in file order
    if ((f.number == nullptr) == (f.text == nullptr)) return false;
    if (f.number && (f.default_value < f.min || f.default_value > f.max)) return false;
    if (f.box.slot == 0) continue;
    // A box shows a number of exactly two values, and takes a free slot after the autostart.
    if (!f.number || f.max - 1 != f.min) return false;
    if (f.box.ticked != f.min && f.box.ticked != f.max) return false;
    if (f.box.slot < 2 || f.box.slot > settings_box_count() + 1) return false;
    for (const UserIniField& other : kUserIniFields) {
      if (&other != &f && other.box.slot == f.box.slot) return false;
    }
  }
  return true;
}
static_assert(user_ini_rows_hold(), "a user.ini row breaks the table's rules");

}  // namespace qvx
