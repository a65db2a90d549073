// The login window: the application's main window, owner of the client record, the tray icon
// and the tray menu.
#pragma once
#include <string>
#include <vector>

#include "platform/ip_helper.h"
#include "verify/client_record.h"
#include "verify/login_progress.h"
#include "widgets/controls.h"
#include "widgets/form.h"
#include "widgets/menu.h"
#include "widgets/tray_icon.h"

namespace qvx {

class Application;

constexpr unsigned WM_LOGIN_PROGRESS = 32780;  // WM_APP + 12

class TForm1 : public widgets::Form, public ClientRecord {
 public:
  explicit TForm1(Application& app);

  // Construction steps after the window's controls exist; Form1 must already be set.
  void construct();

  void write_log(const std::string& message, int header = 0) { log_file.write(message, header); }

  // Login window (shell/unit1_login.cpp).
  void Edit1Change();
  void Edit2Change();
  void Edit2KeyPress(char& key);
  void suiCheckBox1Click();
  void suiCheckBox2Click();
  void Label3Click();
  void Label4Click();
  void Label5Click();
  void Label6Click();
  void suiButton1Click();

  // Tray menu and exit (shell/tray_menu.cpp).
  void RzTrayIcon1LButtonDown();
  void N1Click();
  void N2Click();
  void N3Click();
  void N4Click();
  void N5Click();
  void N6Click();
  bool busy() const;  // a dial or hang-up is running
  void exit_step();
  void FormClose();
  bool FormQueryEndSession();
  void end_session();
  void exit_request();

  // Login result (verify/login_result.cpp).
  void on_login_progress(LoginProgress progress);

  // Settings files (shell/settings_files.cpp).
  void read_site_config();
  void load_user_settings();
  void save_user_settings();

  // Gateway discovery (routing/gateway_discovery.cpp).
  void discover_gateways();
  void find_local_by_address(const std::vector<platform::Adapter>& adapters,
                             const platform::Adapter* tunnel);

  Application& app;
  std::string skin_theme_path;

  widgets::Browser CppWebBrowser1;  // banner at the top: the service's login page (/dl/)
  widgets::Panel RzPanel1;          // frame around the account and password rows
  widgets::Label Label1;            // "账号"
  widgets::Edit Edit1;              // the account; letters, digits and "_" only
  widgets::Label Label3;            // "申请账号" link: the registration page
  widgets::Label Label2;            // "密码"
  widgets::Edit Edit2;              // the password, shown as "*"; Enter logs in
  widgets::Label Label4;            // "忘记密码" link: the password-recovery page
  widgets::CheckBox suiCheckBox1;   // "记住账号": user.ini keeps the account
  widgets::CheckBox suiCheckBox2;   // "记住密码": user.ini keeps the password
  widgets::Label Label5;            // "官方网站" link: the service's site
  widgets::Label Label6;            // "新手帮助" link: the beginners' help page
  widgets::StatusPane RzStatusPane1;  // the login's progress ("登陆初始化", ...); hidden till then
  widgets::Button suiButton1;         // "登陆": starts the login thread

  widgets::Menu PopupMenu1;  // the tray icon's right-click menu, items in this order:
  widgets::MenuItem N5;      // "连接": the status window's 连接; enabled after a login
  widgets::MenuItem N4;      // "挂断": the status window's 挂断; enabled while connected
  widgets::MenuItem N3;      // "设置": the settings window (Form5)
  widgets::MenuItem N2;      // "日志": opens the run log qvxl.log
  widgets::MenuItem N6;      // "精彩提示": the tips window (Form4), once it has shown itself
  widgets::MenuItem N1;      // "退出": ends the program; refused during a dial or hang-up
  widgets::TrayIcon RzTrayIcon1;  // a left click brings the status window back

 private:
  bool connection_worker_running() const;  // the dial or hang-up thread has not ended
  void log_teardown_failure(const std::string& what) noexcept;
  void wire_events();
  void handle_box_change(widgets::Edit& box, std::string& member, widgets::CheckBox& remember,
                         bool tick_on_accept);
  void handle_remember_click(widgets::CheckBox& box, const widgets::Edit& edit, int& flag,
                             const char* empty_message);
};

// The characters the account and password boxes admit.
bool accepted_login_char(char c);

}  // namespace qvx
