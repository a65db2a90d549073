#include "windows/unit3.h"

#include "shell/application.h"
#include "shell/unit1.h"

namespace qvx {

namespace colors = widgets::colors;

TForm3::TForm3(Application& app)
    : widgets::Form("Form3", "最新公告", 213, 142, {false, true, false}),
      app(app),
      Panel1(this, "Panel1", {0, 0, 213, 142}),
      Label1(&Panel1, "Label1", {32, 24, 145, 57}) {
  Panel1.color = colors::kLightBlue;
  Label1.set_caption("公告");
  Label1.word_wrap = true;
  Label1.cursor = widgets::Cursor::Hand;
  Label1.on_mouse_move = [this] { Label1MouseMove(); };
  Label1.on_mouse_leave = [this] { Label1MouseLeave(); };
  Label1.on_click = [this] { Label1Click(); };
  // Its close box only hides it; the window lives as long as the program.
  on_title_button = [this](widgets::TitleButton) { hide(); };
}

void TForm3::Label1MouseMove() {
  Label1.set_font(colors::kBlue, true);
}

void TForm3::Label1MouseLeave() {
  Label1.set_font(colors::kBlack, false);
}

void TForm3::Label1Click() {
  // An empty address would only make the shell guess; there is nothing to open.
  if (!app.Form1->notice_url.empty()) app.platform.shell.open(app.Form1->notice_url);
}

}  // namespace qvx
