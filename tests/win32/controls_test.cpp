// The control peers: state changes mirrored onto the windows, and the windows' notifications
// turned into the controls' own calls.
#include "peer_fixture.h"

namespace qvx::widgets::win32::testing {
namespace {

TEST_F(PeerTest, FormWindowHasCaptionClientSizeAndStaysHiddenUntilShown) {
  attach();
  HWND w = hwnd(*form);
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(text_of(w), L"\x6D4B\x8BD5\x7A97\x53E3");  // 测试窗口
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.right, ui->look().scale(300));
  EXPECT_EQ(client.bottom, ui->look().scale(200));
  EXPECT_FALSE(IsWindowVisible(w));
  form->show();
  EXPECT_TRUE(IsWindowVisible(w));
  form->hide();
  EXPECT_FALSE(IsWindowVisible(w));
}

TEST_F(PeerTest, FormStyleDecidesTitleBarButtons) {
  form = std::make_unique<TestForm>(FormStyle{false, false, true});
  attach();
  HWND w = hwnd(*form);
  EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_MINIMIZEBOX);
  EXPECT_FALSE(GetWindowLongW(w, GWL_STYLE) & WS_MAXIMIZEBOX);
  EXPECT_EQ(GetMenuState(GetSystemMenu(w, FALSE), SC_CLOSE, MF_BYCOMMAND), static_cast<UINT>(-1));
  bool closed = false;
  form->on_close = [&] { closed = true; };
  SendMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_FALSE(closed) << "a form without a close box cannot be closed from its frame";
}

TEST_F(PeerTest, CentredFormSitsInTheMiddleOfTheWorkArea) {
  attach();
  RECT work, frame;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  GetWindowRect(hwnd(*form), &frame);
  EXPECT_NEAR((frame.left + frame.right) / 2, (work.left + work.right) / 2, 1);
  EXPECT_NEAR((frame.top + frame.bottom) / 2, (work.top + work.bottom) / 2, 1);
}

TEST_F(PeerTest, CloseBoxRunsTheFormsCloseAndLeavesTheWindow) {
  attach();
  int closes = 0;
  form->on_close = [&] { ++closes; };
  form->show();
  SendMessageW(hwnd(*form), WM_CLOSE, 0, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(IsWindow(hwnd(*form)));
  EXPECT_FALSE(IsWindowVisible(hwnd(*form)));
}

TEST_F(PeerTest, SystemMenuCloseTakesTheSameRoadAsTheCloseBox) {
  attach();
  int closes = 0;
  form->on_close = [&] { ++closes; };
  form->show();
  SendMessageW(hwnd(*form), WM_SYSCOMMAND, SC_CLOSE, 0);
  EXPECT_EQ(closes, 1);
  EXPECT_TRUE(IsWindow(hwnd(*form)));
}

TEST_F(PeerTest, TitleButtonsGoToTheFormsHandlerWhenItHasOne) {
  attach();
  std::vector<TitleButton> pressed;
  bool closed = false;
  form->on_title_button = [&](TitleButton b) { pressed.push_back(b); };
  form->on_close = [&] { closed = true; };
  form->show();
  SendMessageW(hwnd(*form), WM_CLOSE, 0, 0);
  SendMessageW(hwnd(*form), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  EXPECT_EQ(pressed, (std::vector<TitleButton>{TitleButton::Close, TitleButton::Minimize}));
  EXPECT_FALSE(closed);
  EXPECT_FALSE(IsIconic(hwnd(*form)));
}

TEST_F(PeerTest, FormPositionAndTopmostFollowTheForm) {
  attach();
  form->set_topmost(true);
  EXPECT_TRUE(GetWindowLongW(hwnd(*form), GWL_EXSTYLE) & WS_EX_TOPMOST);
  form->set_position(20, 30);
  RECT frame;
  GetWindowRect(hwnd(*form), &frame);
  EXPECT_EQ(frame.left, ui->look().scale(20));
  EXPECT_EQ(frame.top, ui->look().scale(30));
  // Past the screen's corner the whole frame is kept on the work area.
  const Size screen = ui->screen_size();
  form->set_position(screen.width - 10, screen.height - 10);
  GetWindowRect(hwnd(*form), &frame);
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  EXPECT_EQ(frame.right, work.right);
  EXPECT_EQ(frame.bottom, work.bottom);
  form->set_topmost(false);
  EXPECT_FALSE(GetWindowLongW(hwnd(*form), GWL_EXSTYLE) & WS_EX_TOPMOST);
}

TEST_F(PeerTest, StateSetBeforeAttachingIsWhatTheWindowsShow) {
  form->edit1.set_text("abc");
  form->check.set_checked(true);
  form->button.set_enabled(false);
  form->label.set_visible(false);
  form->combo.add_item("外网模式");
  form->combo.add_item("内网模式");
  form->combo.set_item_index(1);
  attach();
  EXPECT_EQ(text_of(hwnd(form->edit1)), L"abc");
  EXPECT_EQ(SendMessageW(hwnd(form->check), BM_GETCHECK, 0, 0), BST_CHECKED);
  EXPECT_FALSE(IsWindowEnabled(hwnd(form->button)));
  EXPECT_FALSE(GetWindowLongW(hwnd(form->label), GWL_STYLE) & WS_VISIBLE);
  EXPECT_EQ(SendMessageW(hwnd(form->combo), CB_GETCOUNT, 0, 0), 2);
  EXPECT_EQ(SendMessageW(hwnd(form->combo), CB_GETCURSEL, 0, 0), 1);
}

TEST_F(PeerTest, ControlsSitInsideTheirContainersAtScaledBounds) {
  attach();
  EXPECT_EQ(GetParent(hwnd(form->edit1)), hwnd(form->panel));
  EXPECT_EQ(GetParent(hwnd(form->grouped)), hwnd(form->group));
  EXPECT_EQ(GetParent(hwnd(form->button)), hwnd(*form));
  form->button.set_bounds(Rect{100, 150, 70, 30});
  RECT r;
  GetWindowRect(hwnd(form->button), &r);
  MapWindowPoints(nullptr, hwnd(*form), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(r.left, ui->look().scale(100));
  EXPECT_EQ(r.top, ui->look().scale(150));
  EXPECT_EQ(r.right - r.left, ui->look().scale(70));
}

TEST_F(PeerTest, EditMirrorsProgramTextAndReportsTypedText) {
  attach();
  int changes = 0;
  form->edit1.on_change = [&] { ++changes; };
  form->edit1.set_text("user");
  EXPECT_EQ(text_of(hwnd(form->edit1)), L"user");
  EXPECT_EQ(changes, 1) << "the program's own change is not echoed back as a second one";
  SetWindowTextW(hwnd(form->edit1), L"user\x52A0");  // what the window holds after input
  EXPECT_EQ(form->edit1.text(), "user加");
  EXPECT_EQ(changes, 2);
}

TEST_F(PeerTest, ChangeHandlerThatCutsTheTextSettlesOnBothSides) {
  attach();
  std::vector<std::string> seen;
  Edit& edit = form->edit1;
  edit.on_change = [&] {
    seen.push_back(edit.text());
    if (!edit.text().empty() && edit.text().back() == '-') {
      edit.set_text(edit.text().substr(0, edit.text().size() - 1));
    }
  };
  SetWindowTextW(hwnd(edit), L"ab-");
  EXPECT_EQ(seen, (std::vector<std::string>{"ab-", "ab"}));
  EXPECT_EQ(edit.text(), "ab");
  EXPECT_EQ(text_of(hwnd(edit)), L"ab");
  DWORD start = 0, end = 0;
  SendMessageW(hwnd(edit), EM_GETSEL, reinterpret_cast<WPARAM>(&start),
               reinterpret_cast<LPARAM>(&end));
  EXPECT_EQ(start, 2u) << "the caret goes to the end of the corrected text";
}

TEST_F(PeerTest, KeysReachTheKeyHandlerBeforeTheText) {
  form->edit2.password_char = '*';
  attach();
  form->show();
  std::string keys;
  form->edit2.on_key_press = [&](char& key) {
    keys += key;
    if (key == 'x') key = 0;  // swallowed
  };
  SetFocus(hwnd(form->edit2));
  press(hwnd(form->edit2), 'A');
  press(hwnd(form->edit2), 'X');
  press(hwnd(form->edit2), VK_RETURN);
  EXPECT_EQ(keys, "ax\r") << "Enter reaches a one-line edit's key handler";
  EXPECT_EQ(form->edit2.text(), "a");
  EXPECT_EQ(SendMessageW(hwnd(form->edit2), EM_GETPASSWORDCHAR, 0, 0), '*');
}

TEST_F(PeerTest, TabMovesThroughControlsInCreationOrder) {
  attach();
  form->show();
  SetForegroundWindow(hwnd(*form));
  SetFocus(hwnd(form->edit1));
  std::vector<HWND> order;
  for (int i = 0; i < 4; ++i) {
    press(GetFocus(), VK_TAB);
    order.push_back(GetFocus());
  }
  EXPECT_EQ(order, (std::vector<HWND>{hwnd(form->edit2), hwnd(form->check), hwnd(form->button),
                                      hwnd(form->combo)}));
}

TEST_F(PeerTest, ButtonClickAndDisabling) {
  attach();
  form->show();
  int clicks = 0;
  form->button.on_click = [&] { ++clicks; };
  SendMessageW(hwnd(form->button), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 1);
  SetFocus(hwnd(form->button));
  form->button.set_enabled(false);
  EXPECT_FALSE(IsWindowEnabled(hwnd(form->button)));
  EXPECT_NE(GetFocus(), hwnd(form->button)) << "the keyboard moves on from a disabled button";
}

TEST_F(PeerTest, CheckBoxClickTogglesAndARefusingHandlerWins) {
  attach();
  bool refuse = false;
  int clicks = 0;
  form->check.on_click = [&] {
    ++clicks;
    if (refuse && form->check.checked()) form->check.set_checked(false);
  };
  SendMessageW(hwnd(form->check), BM_CLICK, 0, 0);
  EXPECT_TRUE(form->check.checked());
  EXPECT_EQ(SendMessageW(hwnd(form->check), BM_GETCHECK, 0, 0), BST_CHECKED);
  SendMessageW(hwnd(form->check), BM_CLICK, 0, 0);
  EXPECT_FALSE(form->check.checked());
  refuse = true;
  SendMessageW(hwnd(form->check), BM_CLICK, 0, 0);
  EXPECT_FALSE(form->check.checked());
  EXPECT_EQ(SendMessageW(hwnd(form->check), BM_GETCHECK, 0, 0), BST_UNCHECKED);
  EXPECT_EQ(clicks, 4);
}

TEST_F(PeerTest, ComboBoxRunsItsChangeOnlyOnTheUsersChoice) {
  attach();
  int changes = 0;
  form->combo.on_change = [&] { ++changes; };
  for (const char* item : {"自动选择", "节点一", "节点二"}) form->combo.add_item(item);
  form->combo.set_item_index(2);
  HWND box = hwnd(form->combo);
  EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 3);
  EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), 2);
  wchar_t item[32] = {};
  SendMessageW(box, CB_GETLBTEXT, 1, reinterpret_cast<LPARAM>(item));
  EXPECT_EQ(std::wstring(item), widen("节点一"));
  EXPECT_EQ(changes, 0);
  SendMessageW(box, CB_SETCURSEL, 1, 0);
  notify(form->combo, CBN_SELCHANGE);
  EXPECT_EQ(changes, 1);
  EXPECT_EQ(form->combo.item_index(), 1);
  form->combo.clear_items();
  EXPECT_EQ(SendMessageW(box, CB_GETCOUNT, 0, 0), 0);
  EXPECT_EQ(SendMessageW(box, CB_GETCURSEL, 0, 0), CB_ERR);
}

TEST_F(PeerTest, LabelReportsPointerAndClickAndShowsTheHandCursor) {
  attach();
  std::string events;
  form->label.on_click = [&] { events += "click "; };
  form->label.on_mouse_move = [&] { events += "move "; };
  form->label.on_mouse_leave = [&] { events += "leave "; };
  HWND w = hwnd(form->label);
  SendMessageW(w, WM_MOUSEMOVE, 0, MAKELPARAM(2, 2));
  SendMessageW(w, WM_MOUSELEAVE, 0, 0);
  notify(form->label, STN_CLICKED);
  EXPECT_EQ(events, "move leave click ");
  EXPECT_FALSE(SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), HTCLIENT));
  form->label.cursor = Cursor::Hand;
  EXPECT_TRUE(SendMessageW(w, WM_SETCURSOR, reinterpret_cast<WPARAM>(w), HTCLIENT));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_HAND));
}

TEST_F(PeerTest, LabelTakesTheWidthOfItsTextAndItsFontColour) {
  attach();
  HWND w = hwnd(form->label);
  RECT before, after;
  GetWindowRect(w, &before);
  form->label.set_caption("一段更长的标签文字");
  GetWindowRect(w, &after);
  EXPECT_GT(after.right - after.left, before.right - before.left);
  EXPECT_EQ(text_of(w), widen("一段更长的标签文字"));

  form->label.set_font(colors::kMaroon, true);
  HDC dc = CreateCompatibleDC(nullptr);
  SendMessageW(GetParent(w), WM_CTLCOLORSTATIC, reinterpret_cast<WPARAM>(dc),
               reinterpret_cast<LPARAM>(w));
  EXPECT_EQ(GetTextColor(dc), RGB(128, 0, 0));
  DeleteDC(dc);
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(w, WM_GETFONT, 0, 0)), sizeof font, &font);
  EXPECT_TRUE(font.lfUnderline);
  EXPECT_EQ(font.lfCharSet, GB2312_CHARSET);
  EXPECT_EQ(font.lfHeight, -ui->look().scale(12));
  EXPECT_EQ(std::wstring(font.lfFaceName), L"\x5B8B\x4F53");  // 宋体
}

TEST_F(PeerTest, ControlsOnAPanelPaintOverThePanelsColour) {
  attach();
  HWND check = hwnd(form->check);
  HDC dc = CreateCompatibleDC(nullptr);
  auto brush = reinterpret_cast<HBRUSH>(SendMessageW(GetParent(check), WM_CTLCOLORSTATIC,
                                                     reinterpret_cast<WPARAM>(dc),
                                                     reinterpret_cast<LPARAM>(check)));
  DeleteDC(dc);
  LOGBRUSH info{};
  ASSERT_TRUE(GetObjectW(brush, sizeof info, &info));
  EXPECT_EQ(info.lbColor, RGB(225, 245, 252));
}

TEST_F(PeerTest, StatusPaneBlinksItsTextAndStopsShowingIt) {
  form->pane.set_caption("登陆初始化");
  attach();
  HWND w = hwnd(form->pane);
  form->pane.set_blinking(true);
  EXPECT_TRUE(pump_until([&] { return text_of(w).empty(); }));
  EXPECT_TRUE(pump_until([&] { return text_of(w) == widen("登陆初始化"); }));
  EXPECT_TRUE(pump_until([&] { return text_of(w).empty(); }));
  form->pane.set_caption("获取服务器信息");
  form->pane.set_blinking(false);
  EXPECT_EQ(text_of(w), widen("获取服务器信息"));
  pump_for(700);
  EXPECT_EQ(text_of(w), widen("获取服务器信息"));
}

TEST_F(PeerTest, HidingAGroupBoxHidesWhatItHolds) {
  attach();
  form->show();
  EXPECT_TRUE(IsWindowVisible(hwnd(form->grouped)));
  form->group.set_visible(false);
  EXPECT_FALSE(IsWindowVisible(hwnd(form->grouped)));
}

}  // namespace
}  // namespace qvx::widgets::win32::testing
