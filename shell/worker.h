// A worker thread with one Execute body, started at creation. The application owns it, so a
// finished worker is reaped on the GUI thread and never touched through a stale pointer.
#pragma once
#include <atomic>
#include <functional>
#include <thread>

namespace qvx {

class Application;

class Worker {
 public:
  explicit Worker(Application& app) : app(app) {}
  virtual ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  void start();
  bool finished() const { return finished_; }
  // A terminate request; like the threads it stands for, Execute never looks at it.
  void Terminate() { terminate_requested_ = true; }
  void join();

 protected:
  virtual void Execute() = 0;
  // Runs fn on the GUI thread while this thread waits.
  void Synchronize(const std::function<void()>& fn);
  Application& app;

 private:
  std::thread thread_;
  std::atomic<bool> finished_{false};
  std::atomic<bool> terminate_requested_{false};
};

}  // namespace qvx
