// QVX-UNBUILT: comes with the secondary windows work.
#include "windows/unit3.h"

namespace qvx {
TForm3::TForm3(Application& app)
    : widgets::Form("Form3", "最新公告", 213, 142), app(app), Panel1(this, "Panel1", {0, 0, 213, 142}),
      Label1(&Panel1, "Label1", {32, 24, 145, 57}) {}
void TForm3::Label1MouseMove() {}
void TForm3::Label1MouseLeave() {}
void TForm3::Label1Click() {}
}  // namespace qvx
