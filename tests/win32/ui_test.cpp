// The UI's services: posted messages, tasks and synchronised calls from workers, timers,
// message boxes, the menu bar and the tray icon's messages, and shutting down.
#include <atomic>
#include <thread>

#include "peer_fixture.h"
#include "widgets/win32/tray_peer.h"

// After windows.h, which the fixture brings.
#include <shellapi.h>

namespace qvx::widgets::win32::testing {
namespace {

TEST_F(PeerTest, PostedMessagesArriveAsWindowMessagesOnTheGuiThread) {
  attach();
  std::vector<std::tuple<unsigned, std::uintptr_t, std::intptr_t>> got;
  DWORD thread = 0;
  form->on_message = [&](unsigned m, std::uintptr_t w, std::intptr_t l) {
    got.emplace_back(m, w, l);
    thread = GetCurrentThreadId();
  };
  std::thread worker([&] {
    ui->post(*form, 32780, 3, 1);
    ui->post(*form, 32780, 4, -2);
  });
  worker.join();
  ASSERT_TRUE(pump_until([&] { return got.size() == 2; }));
  EXPECT_EQ(got[0], std::make_tuple(32780u, std::uintptr_t{3}, std::intptr_t{1}));
  EXPECT_EQ(got[1], std::make_tuple(32780u, std::uintptr_t{4}, std::intptr_t{-2}));
  EXPECT_EQ(thread, GetCurrentThreadId());
  // The same message straight from the system takes the same road.
  got.clear();
  SendMessageW(hwnd(*form), 32780, 7, 8);
  ASSERT_EQ(got.size(), 1u);
  EXPECT_EQ(std::get<1>(got[0]), 7u);
}

// The system asks the main window before a session ends and takes the message's result as the
// answer; the end itself (wParam TRUE) runs the form's handler inside the message, and a
// session that goes on after all (wParam FALSE) runs nothing.
// https://learn.microsoft.com/en-us/windows/win32/shutdown/wm-queryendsession
// https://learn.microsoft.com/en-us/windows/win32/shutdown/wm-endsession
TEST_F(PeerTest, SessionEndMessagesReachTheMainForm) {
  attach();
  bool may_end = false;
  int ended = 0;
  form->on_query_end_session = [&] { return may_end; };
  form->on_end_session = [&] { ++ended; };
  EXPECT_EQ(SendMessageW(hwnd(*form), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), FALSE);
  may_end = true;
  EXPECT_EQ(SendMessageW(hwnd(*form), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF), TRUE);
  SendMessageW(hwnd(*form), WM_ENDSESSION, FALSE, ENDSESSION_LOGOFF);
  EXPECT_EQ(ended, 0);
  SendMessageW(hwnd(*form), WM_ENDSESSION, TRUE, ENDSESSION_LOGOFF);
  EXPECT_EQ(ended, 1);
}

TEST_F(PeerTest, QueuedTasksRunInOrderOnTheGuiThread) {
  std::vector<int> ran;
  std::atomic<int> wrong_thread{0};
  const DWORD gui = GetCurrentThreadId();
  std::thread worker([&] {
    for (int i = 0; i < 5; ++i) {
      ui->queue([&, i] {
        if (GetCurrentThreadId() != gui) ++wrong_thread;
        ran.push_back(i);
      });
    }
  });
  worker.join();
  ASSERT_TRUE(pump_until([&] { return ran.size() == 5; }));
  EXPECT_EQ(ran, (std::vector<int>{0, 1, 2, 3, 4}));
  EXPECT_EQ(wrong_thread, 0);
}

TEST_F(PeerTest, SynchronizeRunsOnTheGuiThreadAndWaits) {
  const DWORD gui = GetCurrentThreadId();
  DWORD ran_on = 0;
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    ui->synchronize([&] {
      Sleep(50);
      ran_on = GetCurrentThreadId();
    });
    returned = true;
  });
  ASSERT_TRUE(pump_until([&] { return returned.load(); }));
  worker.join();
  EXPECT_EQ(ran_on, gui);
  // On the GUI thread itself it simply runs.
  bool direct = false;
  ui->synchronize([&] { direct = true; });
  EXPECT_TRUE(direct);
}

TEST_F(PeerTest, ShutdownReleasesAWaitingWorkerAndLaterCallsRunNothing) {
  std::atomic<bool> ran{false}, returned{false};
  std::thread worker([&] {
    ui->synchronize([&] { ran = true; });
    returned = true;
  });
  Sleep(100);  // the worker is waiting; nothing pumps
  ui->shutdown();
  worker.join();
  EXPECT_TRUE(returned);
  EXPECT_FALSE(ran);
  std::thread late([&] { ui->synchronize([&] { ran = true; }); });
  late.join();
  ui->queue([&] { ran = true; });
  pump_for(100);
  EXPECT_FALSE(ran);
}

TEST_F(PeerTest, ShutdownDetachesEveryControlFromItsWindow) {
  Menu menu("menu");
  MenuItem item(menu, "item", "主页");
  TrayIcon tray("提示", menu);
  attach();
  ui->attach_tray_icon(*form, tray);
  HWND w = hwnd(*form);
  ASSERT_NE(form->edit1.peer(), nullptr);
  ASSERT_TRUE(static_cast<bool>(form->browser.peer_navigate));
  ui->shutdown();
  EXPECT_FALSE(IsWindow(w));
  EXPECT_EQ(form->edit1.peer(), nullptr);
  EXPECT_EQ(form->peer(), nullptr);
  EXPECT_FALSE(static_cast<bool>(form->browser.peer_navigate));
  EXPECT_FALSE(static_cast<bool>(tray.peer_balloon));
  EXPECT_FALSE(static_cast<bool>(menu.peer_changed));
  // The controls keep working on their own.
  form->edit1.set_text("x");
  item.set_enabled(false);
  tray.show_balloon("标题", "内容", 1000);
  form->browser.navigate("about:blank");
  EXPECT_EQ(form->edit1.text(), "x");
}

TEST_F(PeerTest, TimersTickWhileEnabled) {
  Timer timer(*ui, "timer", 30);
  int ticks = 0;
  timer.on_timer = [&] { ++ticks; };
  pump_for(100);
  EXPECT_EQ(ticks, 0);
  timer.set_enabled(true);
  ASSERT_TRUE(pump_until([&] { return ticks >= 3; }));
  timer.set_enabled(false);
  const int stopped_at = ticks;
  pump_for(150);
  EXPECT_EQ(ticks, stopped_at);
  timer.set_enabled(true);
  EXPECT_TRUE(pump_until([&] { return ticks > stopped_at; }));
}

TEST_F(PeerTest, MenuBarItemsFollowTheMenuAndRunTheirClicks) {
  Menu menu("suiMainMenu1");
  MenuItem home(menu, "z1", "主页"), pay(menu, "N2", "充值");
  int home_clicks = 0, pay_clicks = 0;
  home.on_click = [&] { ++home_clicks; };
  pay.on_click = [&] { ++pay_clicks; };
  attach();
  ui->attach_menu_bar(*form, menu);
  HWND w = hwnd(*form);
  HMENU bar = GetMenu(w);
  ASSERT_NE(bar, nullptr);
  ASSERT_EQ(GetMenuItemCount(bar), 2);
  wchar_t caption[16] = {};
  GetMenuStringW(bar, 0, caption, 16, MF_BYPOSITION);
  EXPECT_EQ(std::wstring(caption), widen("主页"));
  RECT client;
  GetClientRect(w, &client);
  EXPECT_EQ(client.bottom, ui->look().scale(200)) << "the menu bar does not eat the layout";

  const UINT pay_id = GetMenuItemID(bar, 1);
  pay.set_enabled(false);
  EXPECT_TRUE(GetMenuState(bar, pay_id, MF_BYCOMMAND) & MF_GRAYED);
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(GetMenuItemID(bar, 0), 0), 0);
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(pay_id, 0), 0);
  EXPECT_EQ(home_clicks, 1);
  EXPECT_EQ(pay_clicks, 0) << "a greyed item does nothing";
  pay.set_enabled(true);
  SendMessageW(w, WM_COMMAND, MAKEWPARAM(pay_id, 0), 0);
  EXPECT_EQ(pay_clicks, 1);
  ui->shutdown();  // before the menu goes
}

TEST_F(PeerTest, TrayIconLeftButtonReachesTheIcon) {
  Menu popup("PopupMenu1");
  MenuItem quit(popup, "N1", "退出");
  TrayIcon tray("Quovix加速", popup);
  int presses = 0;
  tray.on_left_button_down = [&] { ++presses; };
  attach();
  ui->attach_tray_icon(*form, tray);
  // Version 4 callbacks: the event in the low word, the icon id in the high word.
  SendMessageW(hwnd(*form), TrayPeer::kCallback, 0, MAKELPARAM(WM_LBUTTONDOWN, 1));
  SendMessageW(hwnd(*form), TrayPeer::kCallback, 0, MAKELPARAM(WM_MOUSEMOVE, 1));
  EXPECT_EQ(presses, 1);
  ui->shutdown();  // before the icon goes
}

// Whether the shell holds our icon: changing an icon it does not hold fails.
bool shell_has_icon(HWND owner) {
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof d;
  d.hWnd = owner;
  d.uID = 1;
  d.uFlags = NIF_TIP;
  lstrcpyW(d.szTip, L"probe");
  return Shell_NotifyIconW(NIM_MODIFY, &d);
}

TEST_F(PeerTest, TrayIconComesBackWhenTheTaskbarIsRecreatedAndGoesAtShutdown) {
  Menu popup("PopupMenu1");
  TrayIcon tray("Quovix加速", popup);
  attach();
  ui->attach_tray_icon(*form, tray);
  HWND owner = hwnd(*form);
  ASSERT_TRUE(shell_has_icon(owner)) << "needs a desktop with a systray";
  // A restarted shell has forgotten every icon and broadcasts TaskbarCreated.
  NOTIFYICONDATAW d{};
  d.cbSize = sizeof d;
  d.hWnd = owner;
  d.uID = 1;
  Shell_NotifyIconW(NIM_DELETE, &d);
  ASSERT_FALSE(shell_has_icon(owner));
  SendMessageW(owner, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(shell_has_icon(owner));
  ui->shutdown();
  EXPECT_FALSE(shell_has_icon(owner));
}

// Answers the next message box with the given caption with OK, from another thread, and
// records the text it showed.
class BoxAnswerer {
 public:
  explicit BoxAnswerer(std::wstring caption)
      : caption_(std::move(caption)), thread_([this] { answer(); }) {}
  ~BoxAnswerer() { finish(); }
  const std::wstring& finish() {
    if (thread_.joinable()) thread_.join();
    return text_;
  }

 private:
  static BOOL CALLBACK find_text(HWND child, LPARAM self) {
    wchar_t cls[16] = {}, text[256] = {};
    GetClassNameW(child, cls, 16);
    GetWindowTextW(child, text, 256);
    if (lstrcmpiW(cls, L"Static") == 0 && text[0])
      reinterpret_cast<BoxAnswerer*>(self)->text_ = text;
    return TRUE;
  }
  void answer() {
    for (int i = 0; i < 300; ++i, Sleep(20)) {
      HWND box = FindWindowW(L"#32770", caption_.c_str());
      if (!box) continue;
      EnumChildWindows(box, find_text, reinterpret_cast<LPARAM>(this));
      PostMessageW(box, WM_COMMAND, IDOK, 0);
      return;
    }
  }
  std::wstring caption_, text_;
  std::thread thread_;
};

TEST_F(PeerTest, MessageBoxShowsGbkTextAsUnicodeFromAnyThread) {
  attach();
  BoxAnswerer on_gui(widen("Quovix加速"));
  EXPECT_EQ(ui->message_box(form.get(), "该软件已经在运行", "Quovix加速", kMbOk), kIdOk);
  EXPECT_EQ(on_gui.finish(), widen("该软件已经在运行"));

  BoxAnswerer on_worker(widen("提示"));
  int from_worker = 0;
  std::thread worker([&] { from_worker = ui->message_box(nullptr, "无效字符", "提示", kMbOk); });
  worker.join();
  EXPECT_EQ(from_worker, kIdOk);
  EXPECT_EQ(on_worker.finish(), widen("无效字符"));
}

TEST_F(PeerTest, ScreenSizeIsTheWorkAreasFarCorner) {
  RECT work;
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  const Size s = ui->screen_size();
  EXPECT_EQ(ui->look().scale(s.width), work.right);
  EXPECT_EQ(ui->look().scale(s.height), work.bottom);
}

}  // namespace
}  // namespace qvx::widgets::win32::testing
