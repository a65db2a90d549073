// The settings window: six options, the autostart one in the Task Scheduler (in the Run key
// before Vista).
#pragma once
#include "widgets/controls.h"
#include "widgets/form.h"

namespace qvx {

class Application;

extern const char kRunKeyPath[];
extern const char kAutostartValue[];
extern const char kAutostartTask[];

class TForm5 : public widgets::Form {
 public:
  explicit TForm5(Application& app);
  void FormShow();
  void suiButton1Click();
  void suiButton2Click();
  // Vista and later: the client requires elevation, which Windows does not give to programs
  // in the Run key, so a logon task starts it.
  bool uses_logon_task() const;
  // Stores the autostart choice; false when it could not be stored.
  bool store_autostart(bool on);

  Application& app;
  widgets::GroupBox suiGroupBox1;  // "设置选项 ", around the six options
  widgets::CheckBox suiCheckBox1;  // "开机自动启动": the logon task, or the Run value before Vista
  widgets::CheckBox suiCheckBox2;  // "登录后自动连接": dial as soon as the login is done
  widgets::CheckBox suiCheckBox3;  // "连接成功后最小化": hide the status window once connected
  widgets::CheckBox suiCheckBox4;  // "记录连接信息": restore the node and modes at the next login
  widgets::CheckBox suiCheckBox5;  // "退出时是否提示": ask (Form9) before exiting
  widgets::CheckBox suiCheckBox6;  // "断线自动重连": redial after a drop
  widgets::Button suiButton1;      // "确定": stores the options and hides the window
  widgets::Button suiButton2;      // "取消": hides the window, nothing stored
};

}  // namespace qvx
