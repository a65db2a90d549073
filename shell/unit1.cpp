#include "shell/unit1.h"

#include "shell/application.h"
#include "shell/settings_content.h"
#include "status/unit2.h"

namespace qvx {

using widgets::Rect;

TForm1::TForm1(Application& app)
    : widgets::Form("Form1", kAppTitle, 296, 285, {true, true, true}),
      ClientRecord(app.platform),
      app(app),
      CppWebBrowser1(this, "CppWebBrowser1", Rect{0, 0, 340, 86}),
      RzPanel1(this, "RzPanel1", Rect{6, 95, 283, 120}),
      Label1(&RzPanel1, "Label1", Rect{19, 22, 30, 14}),
      Edit1(&RzPanel1, "Edit1", Rect{57, 16, 145, 21}),
      Label3(&RzPanel1, "Label3", Rect{216, 21, 52, 14}),
      Label2(&RzPanel1, "Label2", Rect{19, 61, 30, 14}),
      Edit2(&RzPanel1, "Edit2", Rect{57, 56, 145, 21}),
      Label4(&RzPanel1, "Label4", Rect{217, 61, 52, 14}),
      suiCheckBox1(&RzPanel1, "suiCheckBox1", Rect{48, 87, 80, 17}),
      suiCheckBox2(&RzPanel1, "suiCheckBox2", Rect{155, 87, 80, 17}),
      Label5(this, "Label5", Rect{6, 227, 50, 14}),
      Label6(this, "Label6", Rect{57, 227, 50, 14}),
      RzStatusPane1(this, "RzStatusPane1", Rect{108, 224, 115, 20}),
      suiButton1(this, "suiButton1", Rect{228, 221, 61, 27}),
      PopupMenu1("PopupMenu1"),
      N5(PopupMenu1, "N5", "连接", false),
      N4(PopupMenu1, "N4", "挂断", false),
      N3(PopupMenu1, "N3", "设置"),
      N2(PopupMenu1, "N2", "日志"),
      N6(PopupMenu1, "N6", "精彩提示", false),
      N1(PopupMenu1, "N1", "退出"),
      RzTrayIcon1(kAppTitle, PopupMenu1) {
  Label1.set_caption("账号");
  Label2.set_caption("密码");
  Label3.set_caption("申请账号");
  Label4.set_caption("忘记密码");
  Label5.set_caption("官方网站");
  Label6.set_caption("新手帮助");
  for (widgets::Label* link : {&Label3, &Label4}) {
    link->set_font(widgets::colors::kMaroon, true);
    link->cursor = widgets::Cursor::Hand;
  }
  for (widgets::Label* link : {&Label5, &Label6}) {
    link->set_font(widgets::colors::kBlue, false);
    link->cursor = widgets::Cursor::Hand;
  }
  Edit2.password_char = '*';
  suiCheckBox1.set_caption("记住账号");
  suiCheckBox2.set_caption("记住密码");
  suiButton1.set_caption("登陆");
  wire_events();
}

void TForm1::wire_events() {
  Edit1.on_change = [this] { Edit1Change(); };
  Edit2.on_change = [this] { Edit2Change(); };
  Edit2.on_key_press = [this](char& key) { Edit2KeyPress(key); };
  suiCheckBox1.on_click = [this] { suiCheckBox1Click(); };
  suiCheckBox2.on_click = [this] { suiCheckBox2Click(); };
  Label3.on_click = [this] { Label3Click(); };
  Label4.on_click = [this] { Label4Click(); };
  Label5.on_click = [this] { Label5Click(); };
  Label6.on_click = [this] { Label6Click(); };
  suiButton1.on_click = [this] { suiButton1Click(); };
  N1.on_click = [this] { N1Click(); };
  N2.on_click = [this] { N2Click(); };
  N3.on_click = [this] { N3Click(); };
  N4.on_click = [this] { N4Click(); };
  N5.on_click = [this] { N5Click(); };
  N6.on_click = [this] { N6Click(); };
  RzTrayIcon1.on_left_button_down = [this] { RzTrayIcon1LButtonDown(); };
  on_close = [this] { FormClose(); };
  on_query_end_session = [this] { return FormQueryEndSession(); };
  on_end_session = [this] { end_session(); };
  on_exit_request = [this] { exit_request(); };
  on_power = [this](widgets::PowerEvent event) { app.Form2->redial.power(event); };
  on_message = [this](unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
    if (message == WM_LOGIN_PROGRESS) {
      on_login_progress({static_cast<int>(wparam), static_cast<int>(lparam)});
    }
  };
}

void TForm1::construct() {
  platform::Platform& os = app.platform;

  const std::string program = os.files.program_path();
  app_dir = program.substr(0, program.rfind('\\') + 1);

  route_tables.load(app_dir);

  log_size = log_file.open(os.files, os.clock, app_dir);
  write_log("获取程序运行目录为：" + app_dir, 1);

  set_site_config_defaults(*this, app.deployment);

  N5.set_enabled(false);
  N4.set_enabled(false);
  N6.set_enabled(false);

  read_site_config();

  set_caption(app_title);
  RzStatusPane1.set_visible(false);
  skin_theme_path = app_dir + "\\skin\\Blue.ssk";

  os_version = platform::OsVersion{};
  os_version.size = 148;
  os.version.get(os_version);
  write_log("获取本机操作系统版本为：" + std::to_string(os_version.major) +
            std::to_string(os_version.minor));

  load_user_settings();
  write_log("读取用户配置文件");

  CppWebBrowser1.navigate(login_page_url);
}

}  // namespace qvx
