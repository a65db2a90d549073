// The settings window: the autostart option, kept in the Task Scheduler (in the Run key before
// Vista), and a box for each user.ini field whose row names one.
#pragma once
#include <memory>
#include <vector>

#include "shell/user_ini_fields.h"
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

  // The box that shows a user.ini field.
  widgets::CheckBox& option_box(int ClientRecord::*field);

  Application& app;
  widgets::GroupBox suiGroupBox1;  // "设置选项 ", around the options
  widgets::CheckBox suiCheckBox1;  // "开机自动启动": the logon task, or the Run value before Vista
  widgets::Button suiButton1;  // "确定": stores the options and hides the window
  widgets::Button suiButton2;  // "取消": hides the window, nothing stored

 private:
  struct OptionBox {
    const UserIniField* field;
    std::unique_ptr<widgets::CheckBox> box;
  };
  // suiCheckBox2 and on: one per user.ini field the table shows here, in the window's order.
  std::vector<OptionBox> option_boxes_;
};

}  // namespace qvx
