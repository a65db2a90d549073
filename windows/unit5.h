// The settings window: six options, the autostart one in the registry.
#pragma once
#include "widgets/controls.h"
#include "widgets/form.h"

namespace qvx {

class Application;

extern const char kRunKeyPath[];
extern const char kAutostartValue[];

class TForm5 : public widgets::Form {
 public:
  explicit TForm5(Application& app);
  void FormShow();
  void suiButton1Click();
  void suiButton2Click();

  Application& app;
  widgets::GroupBox suiGroupBox1;
  widgets::CheckBox suiCheckBox1, suiCheckBox2, suiCheckBox3, suiCheckBox4, suiCheckBox5;
  widgets::CheckBox suiCheckBox6;  // 断线自动重连
  widgets::Button suiButton1, suiButton2;
};

}  // namespace qvx
