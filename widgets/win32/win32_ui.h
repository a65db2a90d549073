// The real user interface: native windows for the application's forms, a hidden window that
// runs timers and tasks handed to the GUI thread, and the message loop.
//
// Menus and tray icons are members of a window class rather than child controls, so the
// program entry hands them over itself once the forms are attached:
//   ui.attach_menu_bar(*app.Form2, app.Form2->suiMainMenu1);
//   ui.attach_tray_icon(*app.Form1, app.Form1->RzTrayIcon1);
// The first form attached is the main window: it alone gets a taskbar button and owns the
// others. shutdown() must come before the forms, menus and tray icons are destroyed (the
// application's destructor calls it first).
#pragma once
#include <windows.h>

#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <utility>
#include <vector>

#include "widgets/menu.h"
#include "widgets/tray_icon.h"
#include "widgets/ui.h"
#include "widgets/win32/look.h"

namespace qvx::widgets::win32 {

class FormPeer;

class Win32Ui : public Ui {
 public:
  Win32Ui();
  ~Win32Ui() override;

  // Ui
  void attach(Form& form) override;
  std::uintptr_t window_handle(const Form& form) override;
  int message_box(Form* owner, const std::string& text, const std::string& caption,
                  unsigned type) override;
  void post(Form& target, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;
  void queue(std::function<void()> task) override;
  void synchronize(const std::function<void()>& fn) override;
  void timer_changed(Timer& timer, bool alive) override;
  bool run_until(const std::function<bool()>& done, unsigned ms) override;
  Size screen_size() override;
  void quit() override;
  void set_shutdown_block(const std::string& reason) override;
  // Also destroys every window: after it nothing reaches the controls any more.
  void shutdown() override;

  void attach_menu_bar(Form& form, Menu& menu);
  void attach_tray_icon(Form& owner, TrayIcon& icon);

  // The message loop, until quit(). Tab moves between controls in creation order.
  void run();
  // One message as the loop handles it (dialog keys first).
  void dispatch(MSG& msg);

  // The window of a control of an attached form, or null.
  HWND window_of(const Control& control) const;

  Look& look() { return *look_; }
  HINSTANCE instance() const { return instance_; }
  // The program's icon at a size in pixels, loaded once and kept for the UI's life.
  HICON icon(int size);
  UINT next_control_id() { return next_id_++; }
  bool on_gui_thread() const { return GetCurrentThreadId() == gui_thread_; }

 private:
  static LRESULT CALLBACK hidden_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp);
  void run_tasks();
  FormPeer* peer_of(const Form& form) const;

  HINSTANCE instance_;
  DWORD gui_thread_;
  bool ole_ = false;
  std::unique_ptr<Look> look_;
  HWND hidden_ = nullptr;
  std::map<int, HICON> icons_;
  HICON tray_icon_ = nullptr;
  UINT next_id_ = 100;  // clear of IDOK and IDCANCEL, which dialog keys send

  // In the order attached: the main window first, and destroyed last.
  std::vector<std::pair<const Form*, std::unique_ptr<FormPeer>>> forms_;
  HWND main_window_ = nullptr;
  std::map<Timer*, UINT_PTR> timer_ids_;
  std::map<UINT_PTR, Timer*> timers_;
  UINT_PTR next_timer_ = 1;

  // Shared with worker threads.
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> tasks_;
  std::map<const Form*, HWND> windows_;
  bool shut_down_ = false;
};

}  // namespace qvx::widgets::win32
