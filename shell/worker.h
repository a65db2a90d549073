// A worker thread with one Execute body, started at creation. The application owns it, so a
// finished worker is reaped on the GUI thread and never touched through a stale pointer.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>

namespace qvx {

class Application;

// Serial numbers: unlike addresses, never handed out twice in a run.
using WorkerId = std::uint64_t;

class Worker {
 public:
  explicit Worker(Application& app);
  virtual ~Worker();
  Worker(const Worker&) = delete;
  Worker& operator=(const Worker&) = delete;

  WorkerId id() const { return id_; }
  void start();
  bool finished() const { return finished_; }
  // A terminate request; like the threads it stands for, Execute never looks at it.
  void Terminate() { terminate_requested_ = true; }
  void join();
  // While it runs, an ending session is held off with a reason (a dial or a hang-up).
  virtual bool blocks_session_end() const { return false; }

 protected:
  virtual void Execute() = 0;
  // GUI thread, after an unexpected exception in Execute has been reported: leave the
  // windows in the state of this worker's ordinary failure.
  virtual void Abandon() = 0;
  // Runs fn on the GUI thread while this thread waits; an exception of fn comes back here.
  void Synchronize(const std::function<void()>& fn);
  Application& app;

 private:
  void run();

  const WorkerId id_;
  std::thread thread_;
  std::atomic<bool> finished_{false};
  std::atomic<bool> terminate_requested_{false};
};

}  // namespace qvx
