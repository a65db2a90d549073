// The whole client logging in against a local test service.
#pragma once
#include <ostream>
#include <vector>

#include "app_fixture.h"
#include "test_service.h"
#include "verify/thread_login.h"

namespace qvx {
// Failures name the pair, not its bytes.
inline void PrintTo(LoginProgress p, std::ostream* out) {
  *out << "{" << p.stage << ", " << p.code << "}";
}
}  // namespace qvx

namespace qvx::testing {

using Codes = std::vector<LoginProgress>;

class LoginTest : public AppTest {
 protected:
  static constexpr const char* kLog1 = "/ClientComm/log1.asp";
  static constexpr const char* kLog2 = "/ClientComm/log2.asp";
  static constexpr const char* kList = "/list.asp";
  static constexpr const char* kSettings = "/settings.asp";

  LoginTest() {
    service.set(kLog1, {200, verification_line("2430", "2430")});
    service.set(kList, {200, node_list()});
    service.set(kLog2, {200, "notice"});
    service.set(kSettings, {200, ""});
  }
  ~LoginTest() override { stop(); }  // before the service goes

  Deployment deployment() override {
    Deployment d = Deployment::built_in();
    const std::string port = std::to_string(service.port());
    d.vendor_base_url = service.base();
    d.servers[0] = {"127.0.0.1", port};
    d.servers[1] = {"localhost", port};
    d.servers[2] = d.servers[0];
    return d;
  }

  // The client over the simulated machine, which downloads from the test service.
  void start_client() {
    ASSERT_TRUE(start());
    auto handler = f1().on_message;
    f1().on_message = [this, handler](unsigned m, std::uintptr_t w, std::intptr_t l) {
      if (m == WM_LOGIN_PROGRESS) codes.push_back({static_cast<int>(w), static_cast<int>(l)});
      handler(m, w, l);
    };
  }

  std::string verification_line(const std::string& min, const std::string& latest,
                                const std::string& level = "1") {
    return "200@" + min + "@" + latest + "@" + level +
           "@2008-5-1 10:0:0@2030-6-1 10:0:0@31@120@58.1.2.3@" + service.base() + kList +
           "?x=@\r\n";
  }
  static std::string node_list(int nodes = 2, int notice = 1, int tips = 0) {
    const char* all[] = {"1.2.3.4@Beijing", "1.2.3.5@Shanghai", "1.2.3.6@广州"};
    std::string text = "0 0 " + std::to_string(nodes);
    for (int i = 0; i < nodes; ++i) text += std::string(" ") + all[i];
    return text + "\r\n" + std::to_string(notice) + " 公告 http://n/ 5 2 滚动一 http://t1/ " +
           "滚动二 http://t2/ " + std::to_string(tips) + " http://tips/ 7 h r c n he m 0\r\n";
  }

  // Types the credentials and presses the login button; returns the thread it started.
  WorkerId login(const std::string& account = "user1", const std::string& password = "secret") {
    f1().Edit1.paste(account);
    f1().Edit2.paste(password);
    f1().suiButton1.click();
    return app->login_thread ? app->login_thread->id() : 0;
  }
  // Pumps the GUI until the thread has ended and its last message has been handled.
  void finish(WorkerId thread) {
    ASSERT_TRUE(ui->pump_until([&] { return !app->worker_alive(thread); }));
    ASSERT_TRUE(ui->pump_until([&] { return app->login_thread == nullptr; }));
    ui->pump();
  }
  void login_and_finish() {
    const WorkerId thread = login();
    ASSERT_NE(thread, 0u);
    finish(thread);
  }

  // Every request ends in its five-letter token.
  static std::string token_of(const std::string& target) {
    return target.size() < 5 ? target : target.substr(target.size() - 5);
  }
  std::string target_of(const std::string& path) {
    for (const auto& t : service.targets()) {
      if (t.compare(0, path.size() + 1, path + "?") == 0) return t;
    }
    return {};
  }

  TestService service;
  Codes codes;
};

}  // namespace qvx::testing
