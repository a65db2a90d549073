#include "windows/unit4.h"

#include "shell/application.h"

namespace qvx {

TForm4::TForm4(Application& app)
    : widgets::Form("Form4", "精彩提示", 427, 367, {false, true, true}),
      app(app),
      CppWebBrowser1(this, "CppWebBrowser1", {-1, 22, 450, 380}) {
  on_hide = [this] { FormHide(); };
  // Its close box only hides it; the window lives as long as the program.
  on_title_button = [this](widgets::TitleButton) { hide(); };
}

// A hidden window never keeps a page playing, and the next showing loads it afresh.
void TForm4::FormHide() {
  CppWebBrowser1.stop();
  CppWebBrowser1.navigate("about:blank");
}

}  // namespace qvx
