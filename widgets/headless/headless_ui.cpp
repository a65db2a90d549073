#include "widgets/headless/headless_ui.h"

#include <exception>
#include <stdexcept>

#include "widgets/form.h"
#include "widgets/timer.h"

namespace qvx::widgets {

HeadlessUi::HeadlessUi() : gui_thread_(std::this_thread::get_id()) {}

HeadlessUi::~HeadlessUi() {
  shutdown();
}

void HeadlessUi::attach(Form& form) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!shut_down_) forms_.push_back(&form);
}

// The form's address stands for its window.
std::uintptr_t HeadlessUi::window_handle(const Form& form) {
  std::lock_guard<std::mutex> lock(mutex_);
  for (const Form* f : forms_) {
    if (f == &form) return reinterpret_cast<std::uintptr_t>(f);
  }
  return 0;
}

int HeadlessUi::message_box(Form* owner, const std::string& text, const std::string& caption,
                            unsigned type) {
  RecordedBox box{owner ? owner->name() : std::string(), text, caption, type, on_gui_thread()};
  int answer;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    boxes_.push_back(box);
    if (!answers_.empty()) {
      answer = answers_.front();
      answers_.pop_front();
    } else {
      answer = (type & 0xF) == kMbYesNo ? kIdYes : kIdOk;
    }
  }
  if (on_box) on_box(box);
  return answer;
}

void HeadlessUi::post(Form& target, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
  Form* form = &target;
  queue([form, message, wparam, lparam] {
    if (form->on_message) form->on_message(message, wparam, lparam);
  });
}

void HeadlessUi::queue(std::function<void()> task) {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (shut_down_) return;
    tasks_.push_back(std::move(task));
  }
  cv_.notify_all();
}

void HeadlessUi::synchronize(const std::function<void()>& fn) {
  if (on_gui_thread()) {
    fn();
    return;
  }
  auto done = std::make_shared<bool>(false);
  auto error = std::make_shared<std::exception_ptr>();
  std::unique_lock<std::mutex> lock(mutex_);
  if (shut_down_) return;
  tasks_.push_back([this, &fn, done, error] {
    try {
      fn();
    } catch (...) {
      *error = std::current_exception();  // it belongs to the waiting worker
    }
    // Marked under the lock, so a worker between its check and its wait cannot miss it.
    std::lock_guard<std::mutex> relock(mutex_);
    *done = true;
  });
  cv_.notify_all();
  // Shutdown drops the task unrun, so fn is never touched after this returns.
  cv_.wait(lock, [&] { return *done || shut_down_; });
  const bool ran = *done;
  lock.unlock();
  if (ran && *error) std::rethrow_exception(*error);
}

void HeadlessUi::timer_changed(Timer& timer, bool alive) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!alive || !timer.enabled()) {
    timers_.erase(&timer);
    return;
  }
  timers_[&timer].due = now_ms_ + timer.interval();
}

void HeadlessUi::shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shut_down_ = true;
    tasks_.clear();
    forms_.clear();
  }
  cv_.notify_all();
}

// As ShutdownBlockReasonCreate and ShutdownBlockReasonDestroy: only the thread that made the
// main window may call them (otherwise ERROR_ACCESS_DENIED), a new reason replaces the old one
// and destroying without one is a no-op.
// https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-shutdownblockreasoncreate
// https://learn.microsoft.com/en-us/windows/win32/api/winuser/nf-winuser-shutdownblockreasondestroy
void HeadlessUi::set_shutdown_block(const std::string& reason) {
  if (!on_gui_thread()) throw std::logic_error("shutdown block reason set off the GUI thread");
  if (!reason.empty()) ++shutdown_blocks_set_;
  shutdown_block_ = reason;
}

bool HeadlessUi::is_shut_down() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return shut_down_;
}

int HeadlessUi::pump() {
  int ran = 0;
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (tasks_.empty()) break;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    guard(task);
    cv_.notify_all();
    ++ran;
  }
  return ran;
}

void HeadlessUi::advance(unsigned ms) {
  const unsigned long long end = now_ms_ + ms;
  pump();
  for (;;) {
    Timer* next = nullptr;
    unsigned long long due = 0;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      for (auto& entry : timers_) {
        if (entry.second.due <= end && (!next || entry.second.due < due)) {
          next = entry.first;
          due = entry.second.due;
        }
      }
      if (!next) {
        if (now_ms_ < end) now_ms_ = end;
        break;
      }
      if (due > now_ms_) now_ms_ = due;
      timers_[next].due = now_ms_ + next->interval();
    }
    guard([next] { next->tick(); });
    pump();
  }
  pump();
}

bool HeadlessUi::pump_until(const std::function<bool()>& done, unsigned real_timeout_ms) {
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::milliseconds(real_timeout_ms);
  for (;;) {
    pump();
    if (done()) return true;
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::unique_lock<std::mutex> lock(mutex_);
    cv_.wait_for(lock, std::chrono::milliseconds(5), [&] { return !tasks_.empty(); });
  }
}

std::size_t HeadlessUi::live_timers() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return timers_.size();
}

std::vector<std::uintptr_t> HeadlessUi::windows() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::uintptr_t> out;
  for (const Form* f : forms_) out.push_back(reinterpret_cast<std::uintptr_t>(f));
  return out;
}

void HeadlessUi::send_power_broadcast(std::uintptr_t window, unsigned event) {
  Form* main = nullptr;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    if (!forms_.empty() && reinterpret_cast<std::uintptr_t>(forms_.front()) == window) {
      main = forms_.front();
    }
  }
  if (main) main->power_broadcast(event);
}

void HeadlessUi::answer_next(int answer) {
  std::lock_guard<std::mutex> lock(mutex_);
  answers_.push_back(answer);
}

std::vector<RecordedBox> HeadlessUi::boxes() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return boxes_;
}

std::vector<std::string> HeadlessUi::box_texts() const {
  std::lock_guard<std::mutex> lock(mutex_);
  std::vector<std::string> out;
  for (const auto& b : boxes_) out.push_back(b.text);
  return out;
}

void HeadlessUi::clear_boxes() {
  std::lock_guard<std::mutex> lock(mutex_);
  boxes_.clear();
}

}  // namespace qvx::widgets
