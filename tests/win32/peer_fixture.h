// A test window with one control of every kind, attached to the real Win32 UI, and helpers to
// drive it with window messages as the system would.
#pragma once
#include <gtest/gtest.h>
#include <windows.h>

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "widgets/controls.h"
#include "widgets/form.h"
#include "widgets/menu.h"
#include "widgets/timer.h"
#include "widgets/tray_icon.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/win32_ui.h"

namespace qvx::widgets::win32::testing {

struct TestForm : Form {
  explicit TestForm(FormStyle style = {})
      : Form("TestForm", "测试窗口", 300, 200, style),
        panel(this, "panel", Rect{10, 10, 200, 100}),
        edit1(&panel, "edit1", Rect{10, 10, 100, 21}),
        edit2(&panel, "edit2", Rect{10, 40, 100, 21}),
        check(&panel, "check", Rect{10, 70, 80, 17}),
        label(this, "label", Rect{10, 120, 40, 14}),
        button(this, "button", Rect{220, 160, 60, 27}),
        combo(this, "combo", Rect{220, 10, 70, 21}),
        group(this, "group", Rect{220, 40, 70, 60}),
        grouped(&group, "grouped", Rect{8, 20, 50, 17}),
        pane(this, "pane", Rect{10, 160, 100, 20}),
        browser(this, "browser", Rect{120, 120, 90, 30}) {
    panel.color = Color{225, 245, 252};
    check.set_caption("记住");
    label.set_caption("账号");
    button.set_caption("登陆");
    group.set_caption("选项");
    grouped.set_caption("自动");
  }
  Panel panel;
  Edit edit1, edit2;
  CheckBox check;
  Label label;
  Button button;
  ComboBox combo;
  GroupBox group;
  CheckBox grouped;
  StatusPane pane;
  Browser browser;
};

class PeerTest : public ::testing::Test {
 protected:
  PeerTest() : ui(std::make_unique<Win32Ui>()), form(std::make_unique<TestForm>()) {}
  ~PeerTest() override {
    // The windows go before the controls they mirror; a test whose menus or tray icon are
    // locals shuts down itself before they go.
    ui->shutdown();
  }

  void attach() { ui->attach(*form); }
  HWND hwnd(const Control& c) const { return ui->window_of(c); }
  std::wstring text_of(HWND w) const {
    wchar_t buf[256] = {};
    GetWindowTextW(w, buf, 256);
    return buf;
  }
  // Sends a control's notification to its parent, as the control itself does.
  LRESULT notify(const Control& c, WORD code) const {
    HWND w = hwnd(c);
    return SendMessageW(GetParent(w), WM_COMMAND,
                        MAKEWPARAM(static_cast<WORD>(GetDlgCtrlID(w)), code),
                        reinterpret_cast<LPARAM>(w));
  }
  // Runs the message loop's handling until done() or the timeout.
  bool pump_until(const std::function<bool()>& done, int timeout_ms = 3000) {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
    while (!done()) {
      if (std::chrono::steady_clock::now() > end) return false;
      MSG msg;
      while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) ui->dispatch(msg);
      Sleep(5);
    }
    return true;
  }
  void pump_for(int ms) {
    pump_until([] { return false; }, ms);
  }
  // A key as the loop receives it: the key-down goes through the dialog keys, and the
  // character that translating it queued (if it was not taken as a dialog key) follows.
  void press(HWND target, UINT vk) {
    MSG down{target, WM_KEYDOWN, vk, 1, 0, {}};
    ui->dispatch(down);
    MSG queued;
    while (PeekMessageW(&queued, nullptr, WM_CHAR, WM_CHAR, PM_REMOVE)) ui->dispatch(queued);
  }

  std::unique_ptr<Win32Ui> ui;
  std::unique_ptr<TestForm> form;
};

}  // namespace qvx::widgets::win32::testing
