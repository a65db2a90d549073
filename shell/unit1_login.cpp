#include <cctype>
#include <exception>

#include "shell/application.h"
#include "shell/unit1.h"
#include "verify/thread_login.h"

namespace qvx {

bool accepted_login_char(char c) {
  const unsigned char u = static_cast<unsigned char>(c);
  return c == '_' || c == '\t' || c == '\b' || (u < 128 && std::isalnum(u));
}

// Only the last character is tested, so a paste ending in an admitted character is kept whole.
void TForm1::handle_box_change(widgets::Edit& box, std::string& member, widgets::CheckBox& remember,
                               bool tick_on_accept) {
  const std::string& text = box.text();
  if (text.empty()) {
    remember.set_checked(false);
    member.clear();
  } else if (accepted_login_char(text.back())) {
    member = text;
    if (tick_on_accept) remember.set_checked(true);
  } else {
    app.ui.message_box(this, "无效字符", kAppTitle, widgets::kMbOk);
    box.set_text(text.substr(0, text.size() - 1));
  }
}

void TForm1::Edit1Change() {
  handle_box_change(Edit1, account, suiCheckBox1, true);
}

void TForm1::Edit2Change() {
  handle_box_change(Edit2, user_password, suiCheckBox2, false);
}

// Enter stands for the button, so it does nothing while the button does: during a login.
void TForm1::Edit2KeyPress(char& key) {
  if (key == '\r' && suiButton1.enabled()) suiButton1Click();
}

void TForm1::handle_remember_click(widgets::CheckBox& box, const widgets::Edit& edit, int& flag,
                                   const char* empty_message) {
  if (!box.checked()) {
    flag = 0;
  } else if (edit.text().empty()) {
    box.set_checked(false);
    app.ui.message_box(this, empty_message, kAppTitle, widgets::kMbOk);
  } else {
    flag = 1;
  }
}

void TForm1::suiCheckBox1Click() {
  handle_remember_click(suiCheckBox1, Edit1, remember_account, "请您先输入账号！");
}

void TForm1::suiCheckBox2Click() {
  handle_remember_click(suiCheckBox2, Edit2, remember_password, "请您先输入密码！");
}

void TForm1::Label3Click() {
  app.platform.shell.open(register_url);
}
void TForm1::Label4Click() {
  app.platform.shell.open(find_password_url);
}
void TForm1::Label5Click() {
  app.platform.shell.open(site_url);
}
void TForm1::Label6Click() {
  app.platform.shell.open(help_url);
}

void TForm1::suiButton1Click() {
  if (Edit1.text().empty()) {
    app.ui.message_box(this, "请输入账号", kAppTitle, widgets::kMbOk);
    return;
  }
  if (Edit2.text().empty()) {
    app.ui.message_box(this, "请输入密码", kAppTitle, widgets::kMbOk);
    return;
  }
  write_log("用户" + account + "尝试登陆");
  const bool pane_shown = RzStatusPane1.visible();
  const std::string pane = RzStatusPane1.caption();
  const bool pane_blinking = RzStatusPane1.blinking();
  RzStatusPane1.set_visible(true);
  RzStatusPane1.set_caption("登陆初始化");
  RzStatusPane1.set_blinking(true);
  suiButton1.set_enabled(false);
  write_log("开始连接验证服务器");
  // The thread works on the credentials of this moment, whatever is typed afterwards.
  try {
    app.login_thread = app.launch<Thread_Login>(LoginCredentials{account, user_password});
  } catch (const std::exception& e) {
    RzStatusPane1.set_caption(pane);
    RzStatusPane1.set_blinking(pane_blinking);
    RzStatusPane1.set_visible(pane_shown);
    suiButton1.set_enabled(true);
    app.report_failure(e.what());
  }
}

}  // namespace qvx
