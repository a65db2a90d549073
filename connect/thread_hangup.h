// Takes the accelerated connection down in the background.
#pragma once
#include "shell/worker.h"

namespace qvx {

class Thread_hangup : public Worker {
 public:
  explicit Thread_hangup(Application& app) : Worker(app) {}

 protected:
  void Execute() override;

 private:
  void show_hung_up();
  void show_hang_up_failure();
};

}  // namespace qvx
