// The application object: builds the six windows over the platform and toolkit it is given,
// holds the window and thread pointers, and owns the worker threads.
#pragma once
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "connect/cping.h"
#include "platform/platform.h"
#include "shell/deployment.h"
#include "shell/worker.h"
#include "widgets/ui.h"

namespace qvx {

class TForm1;
class TForm2;
class TForm3;
class TForm4;
class TForm5;
class TForm9;
class Thread_Login;
class Thread_dial;
class Thread_hangup;

extern const char kAppTitle[];  // "Quovix加速": taskbar, message boxes

class Application {
 public:
  Application(const platform::Platform& platform, widgets::Ui& ui, Deployment deployment);
  ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Process entry up to the message loop: refuses a second copy (message, false), otherwise
  // creates the six windows in order and shows the login window.
  bool start();
  // Gives back the main window's power registration, then removes the windows and the tray
  // icon (Ui::shutdown).
  void close_windows();

  // Starts a worker; the application keeps it until it has finished. When its thread cannot
  // start, the worker is dropped and the exception goes to the caller.
  template <typename T, typename... Args>
  T* launch(Args&&... args) {
    auto worker = std::make_unique<T>(*this, std::forward<Args>(args)...);
    T* raw = worker.get();
    {
      std::lock_guard<std::mutex> lock(workers_mutex_);
      workers_.push_back(std::move(worker));
    }
    try {
      raw->start();
    } catch (...) {
      reap(raw->id());  // never ran: nothing may wait for it or count it as running
      throw;
    }
    update_shutdown_block();
    return raw;
  }
  WorkerId next_worker_id() { return ++last_worker_id_; }
  // Worker thread, at its very end: wakes the waiters and has the GUI thread reap it.
  void worker_finished(WorkerId id);
  // GUI thread: a worker has finished; clears the pointers to it and frees it.
  void reap(WorkerId id);
  bool worker_alive(WorkerId id) const;
  // GUI thread: w (a worker the application still owns, or null) has not finished.
  bool is_running(const Worker* w) const { return w && worker_alive(w->id()); }
  // GUI thread: the worker while it runs, else null. T must be the worker's own type.
  template <typename T>
  T* running(WorkerId id) {
    std::lock_guard<std::mutex> lock(workers_mutex_);
    for (const auto& w : workers_) {
      if (w->id() == id) return w->finished() ? nullptr : static_cast<T*>(w.get());
    }
    return nullptr;
  }
  // Block until the worker (or every worker) has finished; false when the time ran out.
  bool wait_for_worker(WorkerId id, std::chrono::milliseconds limit);
  bool wait_for_workers(std::chrono::milliseconds limit);
  // GUI thread: an unexpected exception, logged and shown once.
  void report_failure(const std::string& what);
  // GUI thread: an ending session is held off with a reason exactly while a worker that
  // blocks it runs.
  void update_shutdown_block();

  // Starts a worker's thread as std::thread does; tests make it fail as the system may.
  std::function<std::thread(std::function<void()>)> start_thread;
  // The hang-up's wait for the dial thread, wait_for_worker unless a test makes it slow or fail.
  std::function<bool(WorkerId, std::chrono::milliseconds)> wait_for_dial;

  platform::Platform platform;  // references to the services, copied in
  widgets::Ui& ui;
  const Deployment deployment;
  IcmpLibrary icmp_library;  // the ICMP library, loaded at most once per process

  TForm1* Form1 = nullptr;  // login window, tray icon and menu, client record (shell/unit1.h)
  TForm2* Form2 = nullptr;  // status window (status/unit2.h)
  TForm3* Form3 = nullptr;  // "最新公告": the notice in the screen's corner (windows/unit3.h)
  TForm4* Form4 = nullptr;  // "精彩提示": the tips page (windows/unit4.h)
  TForm5* Form5 = nullptr;  // "设置": the six options (windows/unit5.h)
  TForm9* Form9 = nullptr;  // the exit question (shell/unit9.h)
  Thread_Login* login_thread = nullptr;
  Thread_dial* dial_thread = nullptr;
  Thread_hangup* hangup_thread = nullptr;

 private:
  std::unique_ptr<TForm1> form1_;
  std::unique_ptr<TForm2> form2_;
  std::unique_ptr<TForm3> form3_;
  std::unique_ptr<TForm4> form4_;
  std::unique_ptr<TForm5> form5_;
  std::unique_ptr<TForm9> form9_;
  mutable std::mutex workers_mutex_;
  std::condition_variable worker_done_;
  std::vector<std::unique_ptr<Worker>> workers_;
  std::atomic<WorkerId> last_worker_id_{0};
  platform::WindowHandle power_registered_ = 0;  // the main window, while registered
};

}  // namespace qvx
