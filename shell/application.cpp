#include "shell/application.h"

#include <algorithm>

#include "connect/thread_dial.h"
#include "connect/thread_hangup.h"
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
    : platform(platform), ui(ui), deployment(std::move(deployment)), icmp_library(platform, ui) {}

Application::~Application() {
  ui.shutdown();
  std::vector<std::unique_ptr<Worker>> remaining;
  {
    std::lock_guard<std::mutex> lock(workers_mutex_);
    remaining.swap(workers_);
  }
  for (auto& worker : remaining) worker->join();
}

bool Application::start() {
  if (platform.mutex.create_reports_existing(kAppTitle)) {
    ui.message_box(nullptr, "该软件已经在运行", kAppTitle, widgets::kMbOk);
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
  for (widgets::Form* form : std::initializer_list<widgets::Form*>{
           Form1, Form2, Form3, Form4, Form5, Form9}) {
    ui.attach(*form);
  }
  Form1->show();
  return true;
}

void Application::reap(Worker* worker) {
  if (login_thread == worker) login_thread = nullptr;
  if (dial_thread == worker) dial_thread = nullptr;
  if (hangup_thread == worker) hangup_thread = nullptr;
  std::unique_ptr<Worker> finished;
  {
    std::lock_guard<std::mutex> lock(workers_mutex_);
    auto it = std::find_if(workers_.begin(), workers_.end(),
                           [worker](const auto& w) { return w.get() == worker; });
    if (it == workers_.end()) return;
    finished = std::move(*it);
    workers_.erase(it);
  }
  finished->join();
}

bool Application::worker_alive(const Worker* worker) const {
  if (!worker) return false;
  std::lock_guard<std::mutex> lock(workers_mutex_);
  for (const auto& w : workers_) {
    if (w.get() == worker) return !w->finished();
  }
  return false;
}

}  // namespace qvx
