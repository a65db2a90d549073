// One login against the service: server choice by echo, verification reply, node list,
// service settings and login notice, each stage posted to the login window.
#pragma once
#include <condition_variable>
#include <mutex>
#include <string>

#include "shell/worker.h"

namespace qvx {

// The credentials as they stood when the login button was pressed.
struct LoginCredentials {
  std::string account;
  std::string password;
};

class Thread_Login : public Worker {
 public:
  Thread_Login(Application& app, LoginCredentials credentials);
  // GUI thread, during the update question: hold the thread at its next step / let it go on.
  void Suspend();
  void Resume();

 protected:
  void Execute() override;

 private:
  void wait_while_suspended();
  void post(int stage, int code);

  LoginCredentials credentials_;
  std::mutex pause_mutex_;
  std::condition_variable pause_cv_;
  bool suspended_ = false;
};

}  // namespace qvx
