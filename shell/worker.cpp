#include "shell/worker.h"

#include <exception>

#include "shell/application.h"

namespace qvx {

Worker::Worker(Application& app) : app(app), id_(app.next_worker_id()) {}

Worker::~Worker() {
  join();
}

void Worker::start() {
  thread_ = app.start_thread([this] { run(); });
}

// The thread's failure boundary: nothing may reach std::terminate.
void Worker::run() {
  std::string failure;
  bool failed = false;
  try {
    Execute();
  } catch (const std::exception& e) {
    failed = true;
    failure = e.what();
  } catch (...) {
    failed = true;
  }
  if (failed) {
    try {
      Synchronize([this, &failure] {
        app.report_failure(failure);
        Abandon();
      });
    } catch (...) {
      // The report itself failed; the worker still ends normally below.
    }
  }
  finished_ = true;
  app.worker_finished(id_);
}

void Worker::join() {
  if (thread_.joinable()) thread_.join();
}

void Worker::Synchronize(const std::function<void()>& fn) {
  app.ui.synchronize(fn);
}

}  // namespace qvx
