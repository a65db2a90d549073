// WM_DPICHANGED as Windows sends it when a window reaches a monitor of another DPI: the form
// takes the suggested frame and lays every control out again from its 96-dpi rectangle, with
// fonts made for the new DPI and the old ones deleted.
#include "peer_fixture.h"
#include "widgets/dpi_scale.h"

namespace qvx::widgets::win32::testing {
namespace {

class DpiChangeTest : public PeerTest {
 protected:
  // The control's window in its parent's client area.
  static RECT placed(HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    MapWindowPoints(nullptr, GetParent(w), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  static RECT at(const Rect& design, int dpi) {
    const Edges e = scale_edges(design, dpi);
    return RECT{e.left, e.top, e.right, e.bottom};
  }
  static HFONT font_of(HWND w) {
    return reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0));
  }
  static LONG font_height(HWND w) {
    LOGFONTW font{};
    GetObjectW(font_of(w), sizeof font, &font);
    return font.lfHeight;
  }
  // The frame Windows suggests: the current one scaled about its top-left corner.
  RECT change_dpi(int from, int to) {
    RECT suggested;
    GetWindowRect(hwnd(*form), &suggested);
    suggested.right = suggested.left + MulDiv(suggested.right - suggested.left, to, from);
    suggested.bottom = suggested.top + MulDiv(suggested.bottom - suggested.top, to, from);
    EXPECT_EQ(SendMessageW(hwnd(*form), WM_DPICHANGED, MAKEWPARAM(to, to),
                           reinterpret_cast<LPARAM>(&suggested)),
              0);
    return suggested;
  }
};

void expect_rect(const RECT& is, const RECT& want, const char* what) {
  EXPECT_EQ(is.left, want.left) << what;
  EXPECT_EQ(is.top, want.top) << what;
  EXPECT_EQ(is.right, want.right) << what;
  EXPECT_EQ(is.bottom, want.bottom) << what;
}

TEST_F(DpiChangeTest, EveryControlIsLaidOutAgainFromItsDesignRectangle) {
  attach();
  const int from = ui->look().dpi(), to = from * 3 / 2;
  HWND w = hwnd(*form);
  const RECT suggested = change_dpi(from, to);

  RECT frame, client;
  GetWindowRect(w, &frame);
  GetClientRect(w, &client);
  EXPECT_EQ(frame.left, suggested.left);
  EXPECT_EQ(frame.top, suggested.top);
  EXPECT_EQ(client.right, scale_px(300, to));
  EXPECT_EQ(client.bottom, scale_px(200, to));
  expect_rect(placed(hwnd(form->panel)), at(form->panel.bounds(), to), "panel");
  expect_rect(placed(hwnd(form->edit1)), at(form->edit1.bounds(), to), "edit on the panel");
  expect_rect(placed(hwnd(form->check)), at(form->check.bounds(), to), "check box on the panel");
  expect_rect(placed(hwnd(form->button)), at(form->button.bounds(), to), "button");
  expect_rect(placed(hwnd(form->grouped)), at(form->grouped.bounds(), to), "check box in a group");
  expect_rect(placed(hwnd(form->pane)), at(form->pane.bounds(), to), "status pane");
  const RECT label = placed(hwnd(form->label));
  EXPECT_EQ(label.left, scale_px(10, to));
  EXPECT_EQ(label.top, scale_px(120, to));
  for (const Control* c : std::initializer_list<const Control*>{
           &form->edit1, &form->check, &form->label, &form->button, &form->combo, &form->pane}) {
    EXPECT_EQ(font_height(hwnd(*c)), -scale_px(12, to)) << c->name();
  }
  // Bounds set after the change are placed at the window's DPI too.
  form->button.set_bounds(Rect{200, 150, 80, 30});
  expect_rect(placed(hwnd(form->button)), at(form->button.bounds(), to), "button moved later");
}

TEST_F(DpiChangeTest, BackAtTheFirstDpiTheLayoutIsTheFirstOneAndOldFontsAreGone) {
  attach();
  const int from = ui->look().dpi();
  HWND button = hwnd(form->button), label = hwnd(form->label), combo = hwnd(form->combo);
  const RECT button_before = placed(button), label_before = placed(label),
             combo_before = placed(combo);
  RECT client_before;
  GetClientRect(hwnd(*form), &client_before);
  const HFONT first_font = font_of(button);
  ASSERT_EQ(GetObjectType(first_font), static_cast<DWORD>(OBJ_FONT));

  // 125 % rounds many edges; there and back twice must not drift.
  for (int to : {from * 5 / 4, from * 2}) {
    change_dpi(from, to);
    const HFONT scaled_font = font_of(button);
    EXPECT_NE(scaled_font, first_font);
    change_dpi(to, from);
    EXPECT_EQ(GetObjectType(scaled_font), 0u) << "the fonts of " << to << " dpi were not deleted";
  }
  EXPECT_EQ(GetObjectType(first_font), 0u) << "the first fonts were not deleted";
  expect_rect(placed(button), button_before, "button");
  expect_rect(placed(label), label_before, "label");
  expect_rect(placed(combo), combo_before, "combo box");
  RECT client;
  GetClientRect(hwnd(*form), &client);
  expect_rect(client, client_before, "client area");
  EXPECT_EQ(font_height(button), -scale_px(12, from));
}

}  // namespace
}  // namespace qvx::widgets::win32::testing
