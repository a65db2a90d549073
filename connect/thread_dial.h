// Builds the accelerated connection in the background; window changes run on the GUI thread.
#pragma once
#include "shell/credentials.h"
#include "shell/worker.h"

namespace qvx {

class Thread_dial : public Worker {
 public:
  // A redial's try reports its outcome to the status window's redial instead of the usual
  // messages, except for a credential error.
  Thread_dial(Application& app, LoginCredentials credentials, bool redial_try = false)
      : Worker(app), credentials_(std::move(credentials)), redial_try_(redial_try) {}

  bool blocks_session_end() const override { return true; }

 protected:
  void Execute() override;
  void Abandon() override;

 private:
  void settle_redial_try();
  void prepare_l2tp();
  void show_line_check();
  void show_node_chosen();
  void show_connected();
  void show_account_in_use();
  void show_error_711();
  void show_error_633();
  void show_network_failure();
  void show_dial_failure();
  void show_bad_node();
  void return_to_idle();

  // 退出 may empty the account box while this thread dials.
  const LoginCredentials credentials_;
  const bool redial_try_;
};

}  // namespace qvx
