// softsetup.ini (site configuration) and user.ini (options; the remembered account and password
// are the Windows user's, see login_store.h). Both rest scrambled on disk. They are unscrambled
// in memory, and every write replaces the whole file in one step, so the disk never holds the
// plain text nor a half-written file.
#include "shell/application.h"
#include "shell/login_store.h"
#include "shell/password.h"
#include "shell/settings_content.h"
#include "shell/unit1.h"
#include "shell/user_ini_fields.h"

namespace qvx {

void TForm1::read_site_config() {
  platform::Platform& os = app.platform;
  const std::string path = app_dir + "softsetup.ini";
  const auto bytes = os.files.read(path);
  if (!bytes) return;
  const std::string plain = unscramble_file_bytes(*bytes, os.clock);
  read_site_config_content(plain, *this);
  os.files.replace(path, scramble_to_file_bytes(plain, os.clock));
}

void TForm1::load_user_settings() {
  platform::Platform& os = app.platform;
  const std::string path = app_dir + "user.ini";
  const SettingsParts file =
      split_login_lines(unscramble_file_bytes(os.files.read(path).value_or(""), os.clock));
  LoginStore store(os.user_store, os.data_protection);
  std::string login = file.login;
  bool moved = false;
  if (login_lines_carry_login(login)) {
    // An earlier version's login, readable by every user: it becomes the current user's.
    moved = store.save(login);
    write_log(moved ? "记住的账号和密码已移到当前Windows用户"
                    : "记住的账号和密码未能移到当前Windows用户");
  } else {
    bool password_lost = false;
    login = store.load(password_lost);
    if (password_lost) write_log("记住的密码无法解密，请重新输入");
  }
  const std::string plain = login + file.rest;
  UserSettingsReader lines(plain);

  lines.read_through(user_ini_line(&ClientRecord::account), *this);
  // The boxes are set as a user would set them, so their handlers keep the record in step.
  if (remember_account == 1) {
    Edit1.set_text(account);
    suiCheckBox1.set_checked(true);
  } else {
    suiCheckBox1.set_checked(false);
    Edit1.set_text("");
    account = Edit1.text();
  }

  lines.read_through(user_ini_line(&ClientRecord::user_password), *this);
  if (remember_password == 1) {
    Edit2.set_text(user_password);
    suiCheckBox2.set_checked(true);
  } else {
    suiCheckBox2.set_checked(false);
    Edit2.set_text("");
    user_password = Edit2.text();
  }

  lines.read_rest(*this);
  os.files.replace(path,
                   scramble_to_file_bytes((moved ? kNoLogin : file.login) + file.rest, os.clock));
}

void TForm1::save_user_settings() {
  platform::Platform& os = app.platform;
  const SettingsParts content = split_login_lines(user_settings_content(*this));
  if (!LoginStore(os.user_store, os.data_protection).save(content.login)) {
    write_log("账号和密码未能保存到当前Windows用户");
  }
  os.files.replace(app_dir + "user.ini", scramble_to_file_bytes(kNoLogin + content.rest, os.clock));
  write_log("更新用户配置文件");
}

}  // namespace qvx
