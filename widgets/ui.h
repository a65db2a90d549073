// What the application needs from the user-interface toolkit besides its controls: modal
// message boxes, the hand-over between worker threads and the GUI thread, timers and the
// screen. The Win32 toolkit and the headless one used by the tests both implement it.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

namespace qvx::widgets {

class Form;
class Timer;

// MessageBox types and answers, as Windows numbers them.
constexpr unsigned kMbOk = 0x0;
constexpr unsigned kMbYesNo = 0x4;
constexpr unsigned kMbIconQuestion = 0x20;
constexpr int kIdOk = 1;
constexpr int kIdYes = 6;
constexpr int kIdNo = 7;

struct Size {
  int width = 0, height = 0;
};

class Ui {
 public:
  virtual ~Ui() = default;

  // Creates the native side of a window built by the application (no-op when headless).
  virtual void attach(Form& form) = 0;
  // The system's handle of an attached form's window (an HWND), 0 for none.
  virtual std::uintptr_t window_handle(const Form& form) = 0;
  // Modal box; callable from any thread. owner may be null. Returns the answer.
  virtual int message_box(Form* owner, const std::string& text, const std::string& caption,
                          unsigned type) = 0;
  // Asynchronous window message to a form, delivered on the GUI thread (PostMessage).
  virtual void post(Form& target, unsigned message, std::uintptr_t wparam,
                    std::intptr_t lparam) = 0;
  // Asynchronous task run on the GUI thread.
  virtual void queue(std::function<void()> task) = 0;
  // From a worker: runs fn on the GUI thread and waits for it. After shutdown it runs nothing.
  virtual void synchronize(const std::function<void()>& fn) = 0;
  // A timer was enabled, disabled or destroyed.
  virtual void timer_changed(Timer& timer, bool alive) = 0;
  // GUI thread: handles messages and tasks until done() holds or ms have passed; false then.
  virtual bool run_until(const std::function<bool()>& done, unsigned ms) = 0;
  virtual Size screen_size() = 0;
  // The main window closed: leave the message loop.
  virtual void quit() = 0;
  // GUI thread: while reason is not empty, an ending session shows it as what this program is
  // still doing; an empty reason withdraws it.
  virtual void set_shutdown_block(const std::string& reason) = 0;
  // Wakes any worker waiting in synchronize and makes later calls return at once; on the GUI
  // thread also removes the windows and the tray icon.
  virtual void shutdown() = 0;

  // Set by the application: told of an exception that escaped a handler on the GUI thread.
  std::function<void(const std::string& what)> on_failure;
  // Runs a handler as a failure boundary: an exception ends at on_failure, never beyond.
  void guard(const std::function<void()>& handler) noexcept;
};

}  // namespace qvx::widgets
