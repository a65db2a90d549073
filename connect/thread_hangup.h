// Takes the accelerated connection down in the background.
#pragma once
#include "shell/worker.h"

namespace qvx {

class Thread_hangup : public Worker {
 public:
  // dial: the dial worker whose route changes may still be running (0 for none).
  Thread_hangup(Application& app, WorkerId dial) : Worker(app), dial_(dial) {}

  bool blocks_session_end() const override { return true; }

 protected:
  void Execute() override;
  void Abandon() override;

 private:
  void show_hung_up();
  void show_hang_up_failure();
  void show_failed_state();
  void show_already_down();
  void show_idle();

  const WorkerId dial_;
};

}  // namespace qvx
