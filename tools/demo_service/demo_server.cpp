#include "demo_server.h"

#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <ctime>

#include "abort_connection.h"
#include "replies.h"

namespace qvx::demo {
namespace {

constexpr const char* kText = "text/plain; charset=gb2312";
constexpr const char* kHtml = "text/html; charset=gb2312";

// The client's tokens are five letters "a" to "y".
bool valid_token(const std::string& t) {
  if (t.size() != 5) return false;
  for (char c : t) {
    if (c < 'a' || c > 'y') return false;
  }
  return true;
}

// The decoded value of key in the query, up to the next '&'. The library's own parameter
// parser cuts values at a second '=', and switches like "dead=close" carry one.
std::string query_value(const std::string& target, const std::string& key) {
  const auto query = target.find('?');
  if (query == std::string::npos) return {};
  std::size_t at = query + 1;
  while (at < target.size()) {
    const auto end = std::min(target.find('&', at), target.size());
    const std::string item = target.substr(at, end - at);
    if (item.rfind(key + "=", 0) == 0)
      return httplib::detail::decode_url(item.substr(key.size() + 1), true);
    at = end + 1;
  }
  return {};
}

}  // namespace

DemoServer::DemoServer(AccountBook accounts, Scenario scenario)
    : accounts_(std::move(accounts)),
      http_(std::make_unique<httplib::Server>()),
      scenario_(std::move(scenario)) {
  route();
}

DemoServer::~DemoServer() {
  stop();
}

int DemoServer::start(int port) {
  // A client that gives up mid-reply must not take the process down with it.
  std::signal(SIGPIPE, SIG_IGN);
  port_ = port == 0 ? http_->bind_to_any_port("127.0.0.1")
                    : (http_->bind_to_port("127.0.0.1", port) ? port : -1);
  if (port_ < 0) return -1;
  thread_ = std::thread([this] { http_->listen_after_bind(); });
  // The library's stop() is lost on a server that is not running yet.
  while (!http_->is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  return port_;
}

void DemoServer::stop() {
  {
    std::lock_guard<std::mutex> lock(mutex_);
    stopping_ = true;
  }
  wake_.notify_all();
  if (thread_.joinable()) {
    http_->stop();
    thread_.join();
  }
}

Scenario DemoServer::scenario() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return scenario_;
}

void DemoServer::set_scenario(const Scenario& scenario) {
  std::lock_guard<std::mutex> lock(mutex_);
  scenario_ = scenario;
}

bool DemoServer::apply(const std::string& switches, std::string* error) {
  std::lock_guard<std::mutex> lock(mutex_);
  return scenario_.apply_list(switches, error);
}

std::vector<std::string> DemoServer::requests() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return requests_;
}

void DemoServer::clear_requests() {
  std::lock_guard<std::mutex> lock(mutex_);
  requests_.clear();
}

void DemoServer::on_request(std::function<void(const std::string&)> sink) {
  std::lock_guard<std::mutex> lock(mutex_);
  sink_ = std::move(sink);
}

std::string DemoServer::authority(const httplib::Request& req) const {
  const std::string host = req.get_header_value("Host");
  return host.empty() ? "127.0.0.1:" + std::to_string(port_) : host;
}

void DemoServer::route() {
  using httplib::Request;
  using httplib::Response;
  http_->set_pre_routing_handler([this](const Request& req, Response& res) {
    return before_routing(req, res) ? httplib::Server::HandlerResponse::Handled
                                    : httplib::Server::HandlerResponse::Unhandled;
  });
  http_->Get("/ClientComm/log1.asp",
             [this](const Request& req, Response& res) { verification(req, res); });
  http_->Get("/ClientComm/log2.asp",
             [](const Request&, Response& res) { res.set_content(login_notice_reply(), kText); });
  http_->Get("/ClientComm/list.asp",
             [this](const Request& req, Response& res) { node_list(req, res); });
  http_->Get("/ClientComm/set.asp",
             [this](const Request& req, Response& res) { settings(req, res); });
  http_->Get("/ClientComm/update.asp",
             [this](const Request& req, Response& res) { update_manifest(req, res); });
  http_->Get(R"(/dl/(.+))", [this](const Request& req, Response& res) {
    if (update_ && req.matches[1] == update_->file_name) {
      setup_file(res);
    } else {
      page(req, res);
    }
  });
  http_->Get("/control", [this](const Request& req, Response& res) { control(req, res); });
  http_->Get(".*", [this](const Request& req, Response& res) { page(req, res); });
}

// Logs every request; service requests then pass the token check and the slow and dead
// switches. True when the request has been answered here.
bool DemoServer::before_routing(const httplib::Request& req, httplib::Response& res) {
  const std::string line = req.method + " " + req.target;
  std::function<void(const std::string&)> sink;
  Scenario s;
  {
    std::lock_guard<std::mutex> lock(mutex_);
    requests_.push_back(line);
    sink = sink_;
    s = scenario_;
  }
  if (sink) sink(line);
  if (req.path.rfind("/ClientComm/", 0) != 0) return false;

  if (s.delay_ms > 0) {
    std::unique_lock<std::mutex> lock(mutex_);
    wake_.wait_for(lock, std::chrono::milliseconds(s.delay_ms), [this] { return stopping_; });
  }
  if (s.dead == Dead::close) {
    abort_connection(req.local_port, req.remote_port);
    res.status = 500;  // written into a closed socket: the client sees no reply
    return true;
  }
  if (s.dead == Dead::error500) {
    res.status = 500;
    res.set_content("<html><body>500 Internal Server Error</body></html>", kHtml);
    return true;
  }
  if (!valid_token(query_value(req.target, "t"))) {
    res.status = 400;
    res.set_content("bad token\r\n", kText);
    return true;
  }
  return false;
}

void DemoServer::verification(const httplib::Request& req, httplib::Response& res) {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  res.set_content(verification_reply(query_value(req.target, "u"), accounts_, scenario(),
                                     Site{authority(req)}, local),
                  kText);
}

void DemoServer::node_list(const httplib::Request& req, httplib::Response& res) {
  const Scenario s = scenario();
  if (s.list_missing) {
    res.status = 404;
    res.set_content("<html><body>404 Not Found</body></html>", kHtml);
    return;
  }
  res.set_content(node_list_reply(s, Site{authority(req)}), kText);
}

void DemoServer::settings(const httplib::Request& req, httplib::Response& res) {
  const Scenario s = scenario();
  if (s.settings_missing) {
    res.status = 404;
    res.set_content("<html><body>404 Not Found</body></html>", kHtml);
    return;
  }
  res.set_content(settings_reply(s, Site{authority(req)}), kText);
}

void DemoServer::update_manifest(const httplib::Request& req, httplib::Response& res) {
  if (!update_) {
    res.status = 404;
    res.set_content("<html><body>404 Not Found</body></html>", kHtml);
    return;
  }
  res.set_content(update_->manifest(authority(req)), "text/plain");
}

// The manifest always describes the true file; the switches spoil only what is sent.
void DemoServer::setup_file(httplib::Response& res) {
  const SetupDownload mode = scenario().download;
  std::string body = update_->bytes;
  if (mode == SetupDownload::missing) {
    res.status = 404;
    res.set_content("<html><body>404 Not Found</body></html>", kHtml);
    return;
  }
  if (mode == SetupDownload::corrupt) body[body.size() / 2] ^= 0x5a;
  if (mode == SetupDownload::truncated) body.resize(body.size() / 2);
  if (mode != SetupDownload::slow) {
    res.set_content(body, "application/octet-stream");
    return;
  }
  // 8 KiB every 100 ms, so that a test can cancel while it runs; stop() cuts it short.
  auto shared = std::make_shared<std::string>(std::move(body));
  res.set_content_provider(
      shared->size(), "application/octet-stream",
      [this, shared](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
        std::unique_lock<std::mutex> lock(mutex_);
        if (wake_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stopping_; }))
          return false;
        lock.unlock();
        return sink.write(shared->data() + offset, std::min<std::size_t>(length, 8192));
      });
}

// GET /control?scenario=a,b=1 applies switches; GET /control shows the scenario.
void DemoServer::control(const httplib::Request& req, httplib::Response& res) {
  std::string error;
  const std::string switches = query_value(req.target, "scenario");
  if (!switches.empty() && !apply(switches, &error)) {
    res.status = 400;
    res.set_content(error + "\n", "text/plain");
    return;
  }
  res.set_content(scenario().describe(), "text/plain");
}

void DemoServer::page(const httplib::Request& req, httplib::Response& res) {
  const std::string body =
      vendor_page(req.path, query_value(req.target, "username"), Site{authority(req)});
  if (body.empty()) {
    res.status = 404;
    res.set_content("<html><body>404 Not Found</body></html>", kHtml);
    return;
  }
  res.set_content(body, kHtml);
}

}  // namespace qvx::demo
