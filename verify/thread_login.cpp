#include "verify/thread_login.h"

#include "connect/cping.h"
#include "platform/text_mode.h"
#include "shell/application.h"
#include "shell/unit1.h"
#include "verify/overlapped_server_choice.h"
#include "verify/reply_parsers.h"
#include "verify/request_urls.h"

namespace qvx {

Thread_Login::Thread_Login(Application& app, LoginCredentials credentials)
    : Worker(app), credentials_(std::move(credentials)) {}

void Thread_Login::Suspend() {
  std::lock_guard<std::mutex> lock(pause_mutex_);
  suspended_ = true;
}

void Thread_Login::Resume() {
  {
    std::lock_guard<std::mutex> lock(pause_mutex_);
    suspended_ = false;
  }
  pause_cv_.notify_all();
}

void Thread_Login::Cancel() {
  {
    std::lock_guard<std::mutex> lock(pause_mutex_);
    cancelled_ = true;
  }
  pause_cv_.notify_all();
}

bool Thread_Login::pass_gate() {
  std::unique_lock<std::mutex> lock(pause_mutex_);
  pause_cv_.wait(lock, [this] { return !suspended_ || cancelled_; });
  return !cancelled_;
}

void Thread_Login::post(LoginProgress progress) {
  app.ui.post(*app.Form1, WM_LOGIN_PROGRESS, static_cast<std::uintptr_t>(progress.stage),
              progress.code);
}

bool Thread_Login::download(const std::string& url, const std::string& path) {
  return app.platform.downloader.download(url, path) == 0;
}

std::string Thread_Login::take_file(const std::string& path, std::size_t max_bytes) {
  const auto bytes = app.platform.files.read_at_most(path, max_bytes);
  app.platform.files.remove(path);
  return platform::from_disk_text(bytes.value_or(std::string()));
}

// An unexpected failure ends the login like a failed one: the user can press the button again.
void Thread_Login::Abandon() {
  TForm1& f = *app.Form1;
  if (f.is_closed()) return;
  if (app.login_thread == this) app.login_thread = nullptr;
  f.RzStatusPane1.set_caption("登陆失败");
  f.suiButton1.set_enabled(true);
}

void Thread_Login::Execute() {
  TForm1& record = *app.Form1;
  const auto& servers = app.deployment.servers;
  platform::Clock& clock = app.platform.clock;

  _CPING pinger(app.icmp_library);
  // Without the library every echo fails at once, as it would one after the other.
  const bool icmp_loaded = pinger.load_icmp();
  OverlappedServerChoice choice(
      [&](int n, const std::function<void()>& sending) {
        ServerEchoOutcome outcome;
        if (!icmp_loaded) return outcome;
        const auto address = pinger.address_of(servers[n - 1].host, &outcome.error);
        if (!address) return outcome;
        sending();
        ping_reply reply;
        if (pinger.echo(*address, reply, 64, 2500, 32, &outcome.error)) {
          outcome.ms = reply.round_trip_ms;
        }
        return outcome;
      },
      [&](const std::string& error) { pinger.show_error(error); });

  int server = record.verify_server;
  const bool kept = choice.keeps_last(server);
  if (kept) {
    record.write_log("利用上次验证服务器进行验证，服务器编号：" + std::to_string(server));
    post(progress::kConnecting);
  } else {
    post(progress::kChoosingServer);
    server = choice.fresh_choice();
    record.write_log("重新选择验证服务器编号为：" + std::to_string(server));
    // Stored before any download, so the next login starts from it even if this one fails;
    // by the GUI thread, which also reads it when saving at exit.
    app.ui.queue([app = &app, server] { app->Form1->verify_server = server; });
  }

  const std::string prefix = "http://" + servers[server - 1].authority() + "/ClientComm/";
  const std::string user =
      percent_encode(credentials_.account) + ":" + percent_encode(credentials_.password);
  const std::string verify_url = prefix + "log1.asp?u=" + user + "&t=" + request_token(clock);
  const std::string notice_url = prefix + "log2.asp?u=" + user + "&t=" + request_token(clock);
  if (!kept) post(progress::kConnecting);

  const std::string information = record.app_dir + "information.txt";
  if (!download(verify_url, information)) {
    post(progress::kServerFailed);
    return;
  }
  post(progress::kServerAnswered);
  // Room for the line end after a full line, so a CR there is never taken for content.
  VerificationFields fields(first_line(take_file(information, kVerificationLineMax + 2)));
  if (!fields.accepted()) {
    post(progress::kAccountRefused);
    return;
  }
  post(progress::kAccountAccepted);
  fields.read_versions(record);
  if (record.client_version < record.min_version) {
    post(progress::kVersionTooOld);
    return;
  }
  if (record.client_version < record.latest_version) post(progress::kUpdateOffered);

  // From here on the update question may hold the thread before each step.
  if (!pass_gate()) return;
  fields.read_account(record);
  record.write_log("本机外网IP为：" + record.external_ip);

  if (!pass_gate()) return;
  const std::string list = record.app_dir + "list.txt";
  post(progress::kNodeListLoading);
  if (!download(record.list_url + request_token(clock), list)) {
    post(progress::kNodeListFailed);
    return;
  }
  post(progress::kNodeListLoaded);
  parse_node_list(take_file(list, kTokenReplyMax), record);

  if (!pass_gate()) return;
  if (!record.settings_url.empty()) {
    post(progress::kSettingsLoading);
    if (download(record.settings_url + request_token(clock), list)) {
      parse_service_settings(take_file(list, kTokenReplyMax), record);
    }
  }

  if (!pass_gate()) return;
  download(notice_url, list);
  app.platform.files.remove(list);

  if (!pass_gate()) return;
  post(progress::kLoggedIn);
}

}  // namespace qvx
