// The UI the tests drive: no native windows, a GUI queue the test pumps from its own thread
// (which is the GUI thread), a virtual clock for timers, and message boxes that are recorded
// and answered from a script.
#pragma once
#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "widgets/ui.h"

namespace qvx::widgets {

struct RecordedBox {
  std::string owner;  // form name, empty without an owner
  std::string text;
  std::string caption;
  unsigned type = 0;
  bool on_gui_thread = true;
};

class HeadlessUi : public Ui {
 public:
  HeadlessUi();
  ~HeadlessUi() override;

  // Ui
  void attach(Form& form) override;
  std::uintptr_t window_handle(const Form& form) override;
  int message_box(Form* owner, const std::string& text, const std::string& caption,
                  unsigned type) override;
  void post(Form& target, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) override;
  void queue(std::function<void()> task) override;
  void synchronize(const std::function<void()>& fn) override;
  void timer_changed(Timer& timer, bool alive) override;
  bool run_until(const std::function<bool()>& done, unsigned ms) override {
    return pump_until(done, ms);
  }
  Size screen_size() override { return screen_; }
  void quit() override { quit_ = true; }
  void set_shutdown_block(const std::string& reason) override;
  void shutdown() override;

  // Test side.
  int pump();                 // runs every queued task; returns how many ran
  void advance(unsigned ms);  // moves the virtual clock, firing due timers in order
  bool pump_until(const std::function<bool()>& done, unsigned real_timeout_ms = 10000);
  unsigned long long now_ms() const { return now_ms_; }
  bool quit_requested() const { return quit_; }
  // After shutdown: as the windows and the tray icon of the real toolkit, gone.
  bool is_shut_down() const;
  // The reason an ending session would show now (empty: none), and how often one was set.
  std::string shutdown_block() const { return shutdown_block_; }
  int shutdown_blocks_set() const { return shutdown_blocks_set_; }
  void set_screen(Size s) { screen_ = s; }
  // Timers enabled and alive.
  std::size_t live_timers() const;
  // The attached forms' windows until shutdown, the main window (attached first) first.
  std::vector<std::uintptr_t> windows() const;
  // WM_POWERBROADCAST sent to a window: the main window acts on it, as the real peer does.
  void send_power_broadcast(std::uintptr_t window, unsigned event);

  // Message boxes: each answer is used once, in order; without one, the first button.
  void answer_next(int answer);
  std::vector<RecordedBox> boxes() const;
  std::vector<std::string> box_texts() const;
  void clear_boxes();
  // Called (on the showing thread) whenever a box is shown, before it is answered.
  std::function<void(const RecordedBox&)> on_box;

 private:
  struct Scheduled {
    unsigned long long due = 0;
  };
  bool on_gui_thread() const { return std::this_thread::get_id() == gui_thread_; }

  std::thread::id gui_thread_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::deque<std::function<void()>> tasks_;
  std::map<Timer*, Scheduled> timers_;
  std::vector<RecordedBox> boxes_;
  std::vector<Form*> forms_;  // attached, the main window first
  std::deque<int> answers_;
  unsigned long long now_ms_ = 0;
  Size screen_{1280, 800};
  bool quit_ = false;
  bool shut_down_ = false;
  std::string shutdown_block_;
  int shutdown_blocks_set_ = 0;
};

}  // namespace qvx::widgets
