// A top-level window. Its controls are children built by the window class.
#pragma once
#include <cstdint>
#include <functional>
#include <string>

#include "widgets/control.h"

namespace qvx::widgets {

enum class TitleButton { SystemMenu, Minimize, Close };
enum class PowerEvent { Suspend, Resume };
// WM_POWERBROADCAST's events, as Windows numbers them.
constexpr unsigned kPbtApmSuspend = 0x4;
constexpr unsigned kPbtApmResumeSuspend = 0x7;
constexpr unsigned kPbtApmResumeAutomatic = 0x12;

struct FormStyle {
  bool minimize_box = true;
  bool close_box = true;
  bool centred = true;
};

class Form : public Control {
 public:
  Form(std::string name, std::string caption, int client_width, int client_height,
       FormStyle style = {});
  const FormStyle& style() const { return style_; }

  void show();   // runs on_show
  void hide();   // runs on_hide
  void close();  // runs on_close, then hides; the main window's close ends the program
  // The user's session is about to end: whether it may (on_query_end_session; yes without one).
  bool query_end_session() { return on_query_end_session ? on_query_end_session() : true; }
  // The user's session ends (log-off, shut-down): on_end_session, or a plain close without one.
  void end_session();
  // Another program (the setup, before it replaces ours) asks the program to end as its exit
  // does, without a question: on_exit_request, or a plain close without one.
  void exit_request();
  bool topmost() const { return topmost_; }
  void set_topmost(bool on);
  void set_position(int left, int top);
  bool is_closed() const { return closed_; }

  Handler on_show, on_hide, on_close, on_end_session, on_exit_request;
  std::function<bool()> on_query_end_session;
  // Title-bar buttons (close and minimise) as the frame reports them.
  std::function<void(TitleButton)> on_title_button;
  // Window messages posted to this form (WM_APP range).
  std::function<void(unsigned message, std::uintptr_t wparam, std::intptr_t lparam)> on_message;
  void title_button(TitleButton b) {
    if (on_title_button) on_title_button(b);
  }
  // The machine goes to sleep or has woken up.
  std::function<void(PowerEvent)> on_power;
  void power(PowerEvent e) {
    if (on_power) on_power(e);
  }
  // A WM_POWERBROADCAST event (PBT_*) to the main window, as the power event it means.
  void power_broadcast(unsigned event);

 private:
  FormStyle style_;
  bool topmost_ = false;
  bool closed_ = false;
};

}  // namespace qvx::widgets
