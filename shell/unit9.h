// The exit confirmation window.
#pragma once
#include "widgets/controls.h"
#include "widgets/form.h"

namespace qvx {

class Application;

class TForm9 : public widgets::Form {
 public:
  explicit TForm9(Application& app);
  void suiButton1Click();
  void suiButton2Click();
  void suiCheckBox1Click();

  Application& app;
  widgets::Label Label1;
  widgets::Button suiButton1, suiButton2;
  widgets::CheckBox suiCheckBox1;
};

}  // namespace qvx
