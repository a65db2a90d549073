// A scriptable verification service on 127.0.0.1 (port chosen by the system), and a
// downloader that fetches over real HTTP into the simulated drive.
#pragma once
#include <httplib.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "platform/download.h"
#include "platform/sim/sim_files.h"

namespace qvx::testing {

class TestService {
 public:
  struct Reply {
    int status = 200;
    std::string body;
  };

  TestService() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
      const Reply reply = answer(req);
      res.status = reply.status;
      res.set_content(reply.body, "text/plain");
    });
    thread_ = std::thread([this] { server_.listen_after_bind(); });
    while (!server_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  ~TestService() {
    release();
    server_.stop();
    thread_.join();
  }

  int port() const { return port_; }
  std::string base() const { return "http://127.0.0.1:" + std::to_string(port_); }

  // Replies by path ("/ClientComm/log1.asp", ...); an unscripted path gets 404.
  void set(const std::string& path, Reply reply) {
    std::lock_guard<std::mutex> lock(mutex_);
    replies_[path] = std::move(reply);
  }
  // Requests to path wait until release() (or 10 s).
  void hold(const std::string& path) {
    std::lock_guard<std::mutex> lock(mutex_);
    held_ = path;
  }
  void release() {
    {
      std::lock_guard<std::mutex> lock(mutex_);
      held_.clear();
    }
    cv_.notify_all();
  }
  // Runs on the service's thread when a request to path arrives, before it is answered.
  void on_request(const std::string& path, std::function<void()> fn) {
    std::lock_guard<std::mutex> lock(mutex_);
    hooks_[path] = std::move(fn);
  }

  // Request targets as sent (path and query), in order of arrival.
  std::vector<std::string> targets() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return targets_;
  }
  // Host headers of the requests, in the same order.
  std::vector<std::string> hosts() const {
    std::lock_guard<std::mutex> lock(mutex_);
    return hosts_;
  }
  int count(const std::string& path) const {
    int n = 0;
    for (const auto& t : targets()) n += t.compare(0, path.size() + 1, path + "?") == 0;
    return n;
  }
  bool wait_for(const std::string& path, unsigned ms = 5000) const {
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    while (count(path) == 0) {
      if (std::chrono::steady_clock::now() > end) return false;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
  }

 private:
  Reply answer(const httplib::Request& req) {
    std::function<void()> hook;
    std::unique_lock<std::mutex> lock(mutex_);
    targets_.push_back(req.target);
    hosts_.push_back(req.get_header_value("Host"));
    if (auto it = hooks_.find(req.path); it != hooks_.end()) hook = it->second;
    lock.unlock();
    if (hook) hook();
    lock.lock();
    cv_.wait_for(lock, std::chrono::seconds(10), [&] { return held_ != req.path; });
    auto it = replies_.find(req.path);
    return it == replies_.end() ? Reply{404, "not found"} : it->second;
  }

  httplib::Server server_;
  int port_ = 0;
  std::thread thread_;
  mutable std::mutex mutex_;
  std::condition_variable cv_;
  std::map<std::string, Reply> replies_;
  std::map<std::string, std::function<void()>> hooks_;
  std::vector<std::string> targets_;
  std::vector<std::string> hosts_;
  std::string held_;
};

// URL download over HTTP into the simulated drive: 0 and the body in the file for a 2xx reply,
// -1 and no file otherwise.
class TestDownloader : public platform::Downloader {
 public:
  explicit TestDownloader(sim::SimFiles& files) : files_(files) {}
  long download(const std::string& url, const std::string& path) override {
    const std::string scheme = "http://";
    if (url.compare(0, scheme.size(), scheme) != 0) return -1;
    const auto slash = url.find('/', scheme.size());
    const std::string authority = url.substr(scheme.size(), slash - scheme.size());
    const std::string target = slash == std::string::npos ? "/" : url.substr(slash);
    httplib::Client client("http://" + authority);
    client.set_url_encode(false);
    client.set_connection_timeout(2);
    client.set_read_timeout(12);
    auto result = client.Get(target.c_str());
    if (!result || result->status < 200 || result->status > 299) return -1;
    files_.put(path, result->body);
    return 0;
  }

 private:
  sim::SimFiles& files_;
};

}  // namespace qvx::testing
