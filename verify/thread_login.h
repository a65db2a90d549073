// One login against the service: server choice by echo, verification reply, node list,
// service settings and login notice, each stage posted to the login window.
#pragma once
#include <condition_variable>
#include <mutex>
#include <string>

#include "shell/credentials.h"
#include "shell/worker.h"
#include "verify/login_progress.h"

namespace qvx {

class Thread_Login : public Worker {
 public:
  Thread_Login(Application& app, LoginCredentials credentials);
  // GUI thread, during the update question. The thread goes on with its current step and
  // waits before the next one until Resume; Cancel makes it end there instead.
  void Suspend();
  void Resume();
  void Cancel();

 protected:
  void Execute() override;
  void Abandon() override;

 private:
  bool pass_gate();  // false once cancelled
  void post(LoginProgress progress);
  bool download(const std::string& url, const std::string& path);
  // Text-mode content, at most max_bytes of the file; the file is deleted.
  std::string take_file(const std::string& path, std::size_t max_bytes);

  LoginCredentials credentials_;
  std::mutex pause_mutex_;
  std::condition_variable pause_cv_;
  bool suspended_ = false;
  bool cancelled_ = false;
};

}  // namespace qvx
