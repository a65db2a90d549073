#include <exception>

#include "widgets/form.h"
#include "widgets/menu.h"
#include "widgets/timer.h"
#include "widgets/tray_icon.h"
#include "widgets/ui.h"

namespace qvx::widgets {

void Ui::guard(const std::function<void()>& handler) noexcept {
  std::string what;
  try {
    handler();
    return;
  } catch (const std::exception& e) {
    what = e.what();
  } catch (...) {
  }
  try {
    if (on_failure) on_failure(what);
  } catch (...) {
    // Reporting failed as well; the handler's caller still goes on.
  }
}

Timer::Timer(Ui& ui, std::string name, unsigned interval_ms)
    : ui_(ui), name_(std::move(name)), interval_(interval_ms) {}

Timer::~Timer() {
  ui_.timer_changed(*this, false);
}

void Timer::set_enabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  ui_.timer_changed(*this, true);
}

MenuItem::MenuItem(Menu& menu, std::string name, std::string caption, bool enabled)
    : menu_(menu), name_(std::move(name)), caption_(std::move(caption)), enabled_(enabled) {
  menu_.add(this);
}

void MenuItem::set_enabled(bool on) {
  if (on == enabled_) return;
  enabled_ = on;
  if (menu_.peer_changed) menu_.peer_changed(*this);
}

std::string cut_gbk(const std::string& text, std::size_t max_bytes) {
  if (text.size() <= max_bytes) return text;
  std::size_t i = 0;
  while (i < max_bytes) {
    const bool lead = static_cast<unsigned char>(text[i]) >= 0x81;
    const std::size_t step = lead && i + 1 < text.size() ? 2 : 1;
    if (i + step > max_bytes) break;
    i += step;
  }
  return text.substr(0, i);
}

void TrayIcon::show_balloon(const std::string& title, const std::string& text,
                            unsigned timeout_ms) {
  balloon_title_ = cut_gbk(title, kTitleBytes);
  balloon_text_ = cut_gbk(text, kTextBytes);
  ++balloon_count_;
  if (peer_balloon) peer_balloon(balloon_title_, balloon_text_, timeout_ms);
}

Form::Form(std::string name, std::string caption, int client_width, int client_height,
           FormStyle style)
    : Control(nullptr, std::move(name), Rect{0, 0, client_width, client_height}), style_(style) {
  caption_ = std::move(caption);
  set_visible(false);
}

void Form::show() {
  if (visible()) {
    notify(Change::Visible);  // already shown: only brought to the front
    return;
  }
  set_visible(true);
  if (on_show) on_show();
}

void Form::hide() {
  if (!visible()) return;
  set_visible(false);
  if (on_hide) on_hide();
}

void Form::close() {
  if (closed_) return;
  closed_ = true;
  if (on_close) on_close();
  hide();
}

void Form::end_session() {
  if (on_end_session) {
    on_end_session();
  } else {
    close();
  }
}

void Form::exit_request() {
  if (on_exit_request) {
    on_exit_request();
  } else {
    close();
  }
}

// PBT_APMRESUMEAUTOMATIC comes with every wake-up, PBT_APMRESUMESUSPEND after it when a user
// is at the machine (WM_POWERBROADCAST, learn.microsoft.com); both count as resume.
void Form::power_broadcast(unsigned event) {
  if (event == kPbtApmSuspend) power(PowerEvent::Suspend);
  if (event == kPbtApmResumeAutomatic || event == kPbtApmResumeSuspend) power(PowerEvent::Resume);
}

void Form::set_topmost(bool on) {
  topmost_ = on;
  notify(Change::Bounds);
}

void Form::set_position(int left, int top) {
  Rect r = bounds();
  r.left = left;
  r.top = top;
  set_bounds(r);
}

}  // namespace qvx::widgets
