// A scriptable verification service on 127.0.0.1, on a port the system chooses.
#pragma once
#include <httplib.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace qvx::testing {

class TestService {
 public:
  struct Reply {
    int status = 200;
    std::string body;
    // Then this many bytes of filler, streamed so that no copy of them is ever held.
    std::size_t filler = 0;
  };

  TestService() {
    port_ = server_.bind_to_any_port("127.0.0.1");
    server_.Get(".*", [this](const httplib::Request& req, httplib::Response& res) {
      const Reply reply = answer(req);
      res.status = reply.status;
      if (reply.filler == 0) {
        res.set_content(reply.body, "text/plain");
        return;
      }
      const std::size_t total = reply.body.size() + reply.filler;
      res.set_content_provider(
          total, "text/plain",
          [body = reply.body](std::size_t offset, std::size_t length, httplib::DataSink& sink) {
            static const std::string filler(64 * 1024, 'x');
            if (offset < body.size()) {
              sink.write(body.data() + offset, std::min(length, body.size() - offset));
            } else {
              sink.write(filler.data(), std::min(length, filler.size()));
            }
            return true;
          });
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

}  // namespace qvx::testing
