// Builds the accelerated connection in the background; window changes run on the GUI thread.
#pragma once
#include "shell/worker.h"

namespace qvx {

class Thread_dial : public Worker {
 public:
  explicit Thread_dial(Application& app) : Worker(app) {}

 protected:
  void Execute() override;

 private:
  void show_line_check();
  void show_node_chosen();
  void show_connected();
  void show_account_in_use();
  void show_error_711();
  void show_error_633();
  void show_network_failure();
  void show_dial_failure();
  void show_bad_node();
};

}  // namespace qvx
