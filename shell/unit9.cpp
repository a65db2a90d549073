#include "shell/unit9.h"

#include "shell/application.h"
#include "shell/unit1.h"

namespace qvx {

TForm9::TForm9(Application& app)
    : widgets::Form("Form9", kAppTitle, 253, 170, widgets::FormStyle{false, false, true}),
      app(app),
      Label1(this, "Label1", {33, 53, 180, 24}),
      suiButton1(this, "suiButton1", {33, 92, 65, 27}),
      suiButton2(this, "suiButton2", {146, 92, 67, 27}),
      suiCheckBox1(this, "suiCheckBox1", {33, 134, 180, 21}) {
  Label1.word_wrap = true;
  Label1.set_caption("退出加速软件，也许会导致您的网络速度变慢。确定要退出吗？");
  suiButton1.set_caption("确定");
  suiButton2.set_caption("取消");
  suiCheckBox1.set_caption("下次不再提示，直接退出软件");
  suiButton1.on_click = [this] { suiButton1Click(); };
  suiButton2.on_click = [this] { suiButton2Click(); };
  suiCheckBox1.on_click = [this] { suiCheckBox1Click(); };
}

void TForm9::suiButton1Click() {
  hide();
  app.Form1->exit_step();
}

void TForm9::suiButton2Click() {
  hide();
}

void TForm9::suiCheckBox1Click() {
  app.Form1->no_exit_prompt = suiCheckBox1.checked() ? 1 : 0;
}

}  // namespace qvx
