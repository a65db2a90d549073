// QVX-UNBUILT: comes with the tray and exit work.
#include "shell/unit9.h"

#include "shell/application.h"

namespace qvx {
TForm9::TForm9(Application& app)
    : widgets::Form("Form9", kAppTitle, 253, 170),
      app(app),
      Label1(this, "Label1", {33, 53, 180, 24}),
      suiButton1(this, "suiButton1", {33, 92, 65, 27}),
      suiButton2(this, "suiButton2", {146, 92, 67, 27}),
      suiCheckBox1(this, "suiCheckBox1", {33, 134, 180, 21}) {}
void TForm9::suiButton1Click() {}
void TForm9::suiButton2Click() {}
void TForm9::suiCheckBox1Click() {}
}  // namespace qvx
