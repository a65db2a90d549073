#include "widgets/win32/win32_ui.h"

#include <commctrl.h>
#include <ole2.h>

#include <algorithm>
#include <exception>

#include "widgets/form.h"
#include "widgets/timer.h"
#include "widgets/win32/dpi.h"
#include "widgets/win32/form_peer.h"
#include "widgets/win32/gbk.h"
#include "widgets/win32/shutdown_block.h"

namespace qvx::widgets::win32 {

namespace {
constexpr wchar_t kHiddenClass[] = L"QuovixHidden";
constexpr UINT kRunTasks = WM_APP + 1;
constexpr int kIconResource = 1;
// Menu ids sit above any control id.
constexpr UINT kMenuBarIds = 20000;
constexpr UINT kTrayMenuIds = 30000;
}  // namespace

Win32Ui::Win32Ui() : instance_(GetModuleHandleW(nullptr)), gui_thread_(GetCurrentThreadId()) {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES | ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  ole_ = SUCCEEDED(OleInitialize(nullptr));  // the browser pane is an OLE control
  look_ = std::make_unique<Look>();
  FormPeer::register_class(instance_, icon(GetSystemMetrics(SM_CXICON)),
                           icon(GetSystemMetrics(SM_CXSMICON)));
  ContainerPeer::register_class(instance_);

  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  wc.lpfnWndProc = hidden_proc;
  wc.hInstance = instance_;
  wc.lpszClassName = kHiddenClass;
  RegisterClassExW(&wc);
  hidden_ = CreateWindowExW(0, kHiddenClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance_,
                            nullptr);
  SetWindowLongPtrW(hidden_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
}

Win32Ui::~Win32Ui() {
  shutdown();
  for (auto& entry : timers_) KillTimer(hidden_, entry.first);
  DestroyWindow(hidden_);
  // The class still names two of them, so they go only after its last window.
  for (auto& entry : icons_) DestroyIcon(entry.second);
  if (tray_icon_) DestroyIcon(tray_icon_);
  if (ole_) OleUninitialize();
}

HICON Win32Ui::icon(int size) {
  HICON& slot = icons_[size];
  if (!slot) slot = load_icon(instance_, kIconResource, size);
  // A system icon is shared and never destroyed: stand in for it with a copy.
  if (!slot) slot = CopyIcon(LoadIconW(nullptr, IDI_APPLICATION));
  return slot;
}

void Win32Ui::attach(Form& form) {
  if (peer_of(form)) return;
  auto peer = std::make_unique<FormPeer>(*this, form, main_window_);
  if (!main_window_) main_window_ = peer->hwnd();
  {
    std::lock_guard<std::mutex> lock(mutex_);
    windows_[&form] = peer->hwnd();
  }
  forms_.emplace_back(&form, std::move(peer));
}

void Win32Ui::attach_menu_bar(Form& form, Menu& menu) {
  if (FormPeer* peer = peer_of(form)) peer->set_menu_bar(menu, kMenuBarIds);
}

void Win32Ui::attach_tray_icon(Form& owner, TrayIcon& icon) {
  FormPeer* peer = peer_of(owner);
  if (!peer) return;
  // The small icon by LoadIconMetric, as the notification area asks (see load_tray_icon).
  if (!tray_icon_) tray_icon_ = load_tray_icon(instance_, kIconResource);
  peer->set_tray_icon(icon, tray_icon_ ? tray_icon_ : this->icon(GetSystemMetrics(SM_CXSMICON)),
                      kTrayMenuIds);
}

std::uintptr_t Win32Ui::window_handle(const Form& form) {
  const FormPeer* peer = peer_of(form);
  return peer ? reinterpret_cast<std::uintptr_t>(peer->hwnd()) : 0;
}

FormPeer* Win32Ui::peer_of(const Form& form) const {
  for (const auto& entry : forms_) {
    if (entry.first == &form) return entry.second.get();
  }
  return nullptr;
}

HWND Win32Ui::window_of(const Control& control) const {
  for (const auto& entry : forms_) {
    if (&control == entry.first) return entry.second->hwnd();
    if (Peer* peer = entry.second->find(control)) return peer->hwnd();
  }
  return nullptr;
}

int Win32Ui::message_box(Form* owner, const std::string& text, const std::string& caption,
                         unsigned type) {
  HWND owner_window = nullptr;
  if (owner) {
    std::lock_guard<std::mutex> lock(mutex_);
    auto it = windows_.find(owner);
    if (it != windows_.end()) owner_window = it->second;
  }
  // A message box is a system dialog: under per-monitor v2 (Windows 10 1703) Windows scales it
  // to its monitor's DPI and again when it moves ("DPI_AWARENESS_CONTEXT handle",
  // learn.microsoft.com: automatic DPI scaling of dialogs).
  // Without an owner the box still keeps the user off this thread's windows until answered.
  const UINT style = type | (owner_window || !on_gui_thread() ? 0 : MB_TASKMODAL);
  return MessageBoxW(owner_window, widen(text).c_str(), widen(caption).c_str(), style);
}

void Win32Ui::post(Form& target, unsigned message, std::uintptr_t wparam, std::intptr_t lparam) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (shut_down_) return;
  auto it = windows_.find(&target);
  if (it != windows_.end()) PostMessageW(it->second, message, wparam, lparam);
}

void Win32Ui::queue(std::function<void()> task) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (shut_down_) return;
  tasks_.push_back(std::move(task));
  PostMessageW(hidden_, kRunTasks, 0, 0);
}

void Win32Ui::synchronize(const std::function<void()>& fn) {
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
    std::lock_guard<std::mutex> relock(mutex_);
    *done = true;
    cv_.notify_all();
  });
  PostMessageW(hidden_, kRunTasks, 0, 0);
  // Shutdown drops the task unrun, so fn is never touched after this returns.
  cv_.wait(lock, [&] { return *done || shut_down_; });
  const bool ran = *done;
  lock.unlock();
  if (ran && *error) std::rethrow_exception(*error);
}

void Win32Ui::run_tasks() {
  for (;;) {
    std::function<void()> task;
    {
      std::lock_guard<std::mutex> lock(mutex_);
      if (tasks_.empty()) return;
      task = std::move(tasks_.front());
      tasks_.pop_front();
    }
    guard(task);
  }
}

void Win32Ui::timer_changed(Timer& timer, bool alive) {
  auto it = timer_ids_.find(&timer);
  if (!alive || !timer.enabled()) {
    if (it == timer_ids_.end()) return;
    KillTimer(hidden_, it->second);
    timers_.erase(it->second);
    timer_ids_.erase(it);
    return;
  }
  if (it == timer_ids_.end()) {
    it = timer_ids_.emplace(&timer, next_timer_++).first;
    timers_[it->second] = &timer;
  }
  // Setting an existing timer again restarts its interval, as re-enabling should.
  SetTimer(hidden_, it->second, timer.interval(), nullptr);
}

bool Win32Ui::run_until(const std::function<bool()>& done, unsigned ms) {
  const ULONGLONG end = GetTickCount64() + ms;
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop still has to see it
        return done();
      }
      dispatch(msg);
    }
    if (done()) return true;
    const ULONGLONG now = GetTickCount64();
    if (now >= end) return false;
    // Workers finish without a message: look again at least every 20 ms.
    MsgWaitForMultipleObjects(0, nullptr, FALSE,
                              static_cast<DWORD>(std::min<ULONGLONG>(end - now, 20)), QS_ALLINPUT);
  }
}

Size Win32Ui::screen_size() {
  // The work area's far edges: a window placed against them stays clear of the taskbar.
  RECT work{0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN)};
  SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
  return Size{look_->unscale(work.right), look_->unscale(work.bottom)};
}

void Win32Ui::quit() {
  if (on_gui_thread()) {
    PostQuitMessage(0);
  } else {
    PostThreadMessageW(gui_thread_, WM_QUIT, 0, 0);
  }
}

void Win32Ui::set_shutdown_block(const std::string& reason) {
  if (on_gui_thread())
    set_shutdown_block_reason(main_window_, reason.empty() ? L"" : widen(reason));
}

void Win32Ui::shutdown() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    shut_down_ = true;
    tasks_.clear();
    windows_.clear();
  }
  cv_.notify_all();
  if (!on_gui_thread()) return;
  // Owned windows before their owner, which would otherwise destroy them under their peers.
  // This removes the tray icon, destroys the windows and detaches every control.
  while (!forms_.empty()) forms_.pop_back();
  main_window_ = nullptr;
}

void Win32Ui::run() {
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) dispatch(msg);
}

void Win32Ui::dispatch(MSG& msg) {
  HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
  if (root) {
    wchar_t cls[32] = {};
    GetClassNameW(root, cls, 32);
    if (lstrcmpW(cls, FormPeer::kClassName) == 0 && IsDialogMessageW(root, &msg)) return;
  }
  TranslateMessage(&msg);
  DispatchMessageW(&msg);
}

LRESULT CALLBACK Win32Ui::hidden_proc(HWND hwnd, UINT msg, WPARAM wp, LPARAM lp) {
  auto* self = reinterpret_cast<Win32Ui*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && msg == kRunTasks) {
    self->run_tasks();
    return 0;
  }
  if (self && msg == WM_TIMER) {
    auto it = self->timers_.find(wp);
    if (it != self->timers_.end()) self->guard([&] { it->second->tick(); });
    return 0;
  }
  return DefWindowProcW(hwnd, msg, wp, lp);
}

}  // namespace qvx::widgets::win32
