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
  widgets::GroupBox suiGroupBox1;
  widgets::CheckBox suiCheckBox1, suiCheckBox2, suiCheckBox3, suiCheckBox4, suiCheckBox5;
  widgets::CheckBox suiCheckBox6;  // 断线自动重连
  widgets::Button suiButton1, suiButton2;
};

}  // namespace qvx
