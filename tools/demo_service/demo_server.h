// The demo verification service on 127.0.0.1: verification, node list, service settings,
// login notice, the update manifest and setup, vendor pages and a control endpoint, served
// from a thread of its own.
#pragma once
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "accounts.h"
#include "scenario.h"
#include "update_release.h"

namespace httplib {
class Server;
struct Request;
struct Response;
}  // namespace httplib

namespace qvx::demo {

class DemoServer {
 public:
  explicit DemoServer(AccountBook accounts, Scenario scenario = {});
  ~DemoServer();
  DemoServer(const DemoServer&) = delete;
  DemoServer& operator=(const DemoServer&) = delete;

  // Binds 127.0.0.1:port (0 picks a free port) and serves until stop(). The bound port,
  // or -1 when the port cannot be bound.
  int start(int port = 0);
  void stop();
  int port() const { return port_; }
  std::string base_url() const { return "http://127.0.0.1:" + std::to_string(port_); }

  Scenario scenario() const;
  void set_scenario(const Scenario& scenario);
  bool apply(const std::string& switches, std::string* error);
  // The release update.asp offers at /dl/<its file name>; set before start().
  void set_update(UpdateRelease release) { update_ = std::move(release); }

  // "GET <request target as received>", in order of arrival, control requests included.
  std::vector<std::string> requests() const;
  void clear_requests();
  // Called with each request line as it arrives (the command line prints them).
  void on_request(std::function<void(const std::string&)> sink);

 private:
  void route();
  bool before_routing(const httplib::Request& req, httplib::Response& res);
  void verification(const httplib::Request& req, httplib::Response& res);
  void node_list(const httplib::Request& req, httplib::Response& res);
  void settings(const httplib::Request& req, httplib::Response& res);
  void update_manifest(const httplib::Request& req, httplib::Response& res);
  void setup_file(httplib::Response& res);
  void control(const httplib::Request& req, httplib::Response& res);
  void page(const httplib::Request& req, httplib::Response& res);
  std::string authority(const httplib::Request& req) const;

  const AccountBook accounts_;
  std::unique_ptr<httplib::Server> http_;
  std::thread thread_;
  int port_ = -1;

  mutable std::mutex mutex_;
  std::condition_variable wake_;  // cuts slow replies short at stop()
  bool stopping_ = false;
  Scenario scenario_;
  std::optional<UpdateRelease> update_;
  std::vector<std::string> requests_;
  std::function<void(const std::string&)> sink_;
};

}  // namespace qvx::demo
