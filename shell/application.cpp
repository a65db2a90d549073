#include "shell/application.h"

#include <algorithm>

#include "connect/thread_dial.h"
#include "connect/thread_hangup.h"
#include "shell/client_names.h"
#include "shell/unit1.h"
#include "shell/unit9.h"
#include "status/unit2.h"
#include "verify/thread_login.h"
#include "windows/unit3.h"
#include "windows/unit4.h"
#include "windows/unit5.h"

namespace qvx {

const char kAppTitle[] = "Quovix加速";

Application::Application(const platform::Platform& platform, widgets::Ui& ui, Deployment deployment)
    : platform(platform), ui(ui), deployment(std::move(deployment)), icmp_library(platform, ui) {
  ui.on_failure = [this](const std::string& what) { report_failure(what); };
  start_thread = [](std::function<void()> body) { return std::thread(std::move(body)); };
  wait_for_dial = [this](WorkerId id, std::chrono::milliseconds limit) {
    return wait_for_worker(id, limit);
  };
}

// A worker blocked in a download must not hold up the end of the process: the download is
// called off, so every worker ends soon and can be joined.
Application::~Application() {
  close_windows();
  ui.on_failure = nullptr;
  platform.downloader.cancel();
  std::vector<std::unique_ptr<Worker>> remaining;
  {
    std::lock_guard<std::mutex> lock(workers_mutex_);
    remaining.swap(workers_);
  }
  for (auto& worker : remaining) worker->join();
}

bool Application::start() {
  // A copy in this session holds the session's name; a copy of another Windows user holds
  // the global one, which a default DACL may also refuse us.
  if (platform.mutex.create(kClientMutexSession) != platform::MutexCreate::Created) {
    ui.message_box(nullptr, "该软件已经在运行", kAppTitle, widgets::kMbOk);
    return false;
  }
  if (platform.mutex.create(kClientMutexGlobal) != platform::MutexCreate::Created) {
    ui.message_box(nullptr,
                   "本机的另一个Windows用户正在运行Quovix加速。\n"
                   "拨号连接和路由表由整台电脑共用，同一时间只能运行一个Quovix加速。",
                   kAppTitle, widgets::kMbOk);
    return false;
  }
  // The login window's construction reaches the record through Form1, so it is set first.
  form1_ = std::make_unique<TForm1>(*this);
  Form1 = form1_.get();
  Form1->construct();
  form2_ = std::make_unique<TForm2>(*this);
  Form2 = form2_.get();
  form3_ = std::make_unique<TForm3>(*this);
  Form3 = form3_.get();
  form4_ = std::make_unique<TForm4>(*this);
  Form4 = form4_.get();
  form5_ = std::make_unique<TForm5>(*this);
  Form5 = form5_.get();
  form9_ = std::make_unique<TForm9>(*this);
  Form9 = form9_.get();
  for (widgets::Form* form :
       std::initializer_list<widgets::Form*>{Form1, Form2, Form3, Form4, Form5, Form9}) {
    ui.attach(*form);
  }
  // On Modern Standby machines only a registered window hears of sleep and wake-up, which
  // the redial acts on.
  const platform::WindowHandle main_window = ui.window_handle(*Form1);
  if (main_window && platform.power.register_suspend_resume(main_window)) {
    power_registered_ = main_window;
  }
  Form1->show();
  return true;
}

void Application::close_windows() {
  if (power_registered_) platform.power.unregister_suspend_resume(power_registered_);
  power_registered_ = 0;
  ui.shutdown();
}

void Application::worker_finished(WorkerId id) {
  {
    std::lock_guard<std::mutex> lock(workers_mutex_);
    worker_done_.notify_all();
  }
  ui.queue([this, id] { reap(id); });
}

void Application::reap(WorkerId id) {
  std::unique_ptr<Worker> finished;
  {
    std::lock_guard<std::mutex> lock(workers_mutex_);
    auto it = std::find_if(workers_.begin(), workers_.end(),
                           [id](const auto& w) { return w->id() == id; });
    if (it == workers_.end()) return;
    finished = std::move(*it);
    workers_.erase(it);
  }
  if (login_thread == finished.get()) login_thread = nullptr;
  if (dial_thread == finished.get()) dial_thread = nullptr;
  if (hangup_thread == finished.get()) hangup_thread = nullptr;
  finished->join();
  update_shutdown_block();
}

bool Application::worker_alive(WorkerId id) const {
  std::lock_guard<std::mutex> lock(workers_mutex_);
  for (const auto& w : workers_) {
    if (w->id() == id) return !w->finished();
  }
  return false;
}

bool Application::wait_for_worker(WorkerId id, std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(workers_mutex_);
  return worker_done_.wait_for(lock, limit, [&] {
    return std::none_of(workers_.begin(), workers_.end(),
                        [id](const auto& w) { return w->id() == id && !w->finished(); });
  });
}

bool Application::wait_for_workers(std::chrono::milliseconds limit) {
  std::unique_lock<std::mutex> lock(workers_mutex_);
  return worker_done_.wait_for(lock, limit, [&] {
    return std::all_of(workers_.begin(), workers_.end(),
                       [](const auto& w) { return w->finished(); });
  });
}

void Application::update_shutdown_block() {
  bool blocks = false;
  {
    std::lock_guard<std::mutex> lock(workers_mutex_);
    for (const auto& w : workers_) blocks = blocks || (w->blocks_session_end() && !w->finished());
  }
  ui.set_shutdown_block(blocks ? "正在连接或挂断，请稍候" : "");
}

void Application::report_failure(const std::string& what) {
  const std::string text = "程序异常：" + (what.empty() ? std::string("未知错误") : what);
  if (Form1) Form1->write_log(text);
  ui.message_box(nullptr, text, kAppTitle, widgets::kMbOk);
}

}  // namespace qvx
