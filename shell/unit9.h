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
  widgets::Label Label1;  // "退出加速软件，也许会导致您的网络速度变慢。确定要退出吗？"
  widgets::Button suiButton1;  // "确定": exits
  widgets::Button suiButton2;  // "取消": hides the question
  widgets::CheckBox suiCheckBox1;  // "下次不再提示，直接退出软件": exit without asking from now on
};

}  // namespace qvx
