// QVX-UNBUILT: comes with the secondary windows work.
#include "windows/unit4.h"

namespace qvx {
TForm4::TForm4(Application& app)
    : widgets::Form("Form4", "精彩提示", 427, 367), app(app),
      CppWebBrowser1(this, "CppWebBrowser1", {-1, 22, 450, 380}) {}
void TForm4::FormHide() {}
}  // namespace qvx
