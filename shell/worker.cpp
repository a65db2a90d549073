#include "shell/worker.h"

#include "shell/application.h"

namespace qvx {

Worker::~Worker() { join(); }

void Worker::start() {
  thread_ = std::thread([this] {
    Execute();
    finished_ = true;
    app.ui.queue([app = &app, self = this] { app->reap(self); });
  });
}

void Worker::join() {
  if (thread_.joinable()) thread_.join();
}

void Worker::Synchronize(const std::function<void()>& fn) { app.ui.synchronize(fn); }

}  // namespace qvx
