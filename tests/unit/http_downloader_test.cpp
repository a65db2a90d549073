// The simulated machine's downloader against the demo service and a scripted server.
#include "platform/sim/http_downloader.h"

#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <filesystem>
#include <sstream>
#include <thread>

#include "platform/sim/http_url.h"
#include "platform/sim/sim_files.h"
#include "tools/demo_service/demo_server.h"

namespace qvx::sim {
namespace {
namespace err = platform::download_error;

TEST(HttpUrl, SplitsHostPortAndTarget) {
  auto u = parse_http_url("http://127.0.0.1:18080/ClientComm/log1.asp?u=a:b&t=abcde");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->host, "127.0.0.1");
  EXPECT_EQ(u->port, 18080);
  EXPECT_EQ(u->target, "/ClientComm/log1.asp?u=a:b&t=abcde");
  u = parse_http_url("HTTP://LocalHost?x=1#frag");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->host, "localhost");
  EXPECT_EQ(u->port, 80);
  EXPECT_EQ(u->target, "/?x=1");
}

TEST(HttpUrl, EscapesWhatARequestLineCannotCarry) {
  const auto u = parse_http_url("http://127.0.0.1/a b?u=\xc4\xe3:p%41\t|");
  ASSERT_TRUE(u);
  EXPECT_EQ(u->target, "/a%20b?u=%C4%E3:p%41%09%7C");
}

TEST(HttpUrl, RejectsMalformedUrls) {
  for (const char* bad :
       {"", "http://", "https://127.0.0.1/", "ftp://127.0.0.1/", "127.0.0.1/x", "http://:80/",
        "http://127.0.0.1:0/", "http://127.0.0.1:65536/", "http://127.0.0.1:8x/",
        "http://user@127.0.0.1/", "http://[::1]/", "http://bad host/", "http://127.0.0.1:/"}) {
    EXPECT_FALSE(parse_http_url(bad)) << bad;
  }
}

TEST(HttpUrl, ResolvesRedirectLocations) {
  const HttpUrl base = *parse_http_url("http://127.0.0.1:81/dir/page.asp?q=1");
  EXPECT_EQ(resolve_location(base, "http://localhost:82/x"), "http://localhost:82/x");
  EXPECT_EQ(resolve_location(base, "/top"), "http://127.0.0.1:81/top");
  EXPECT_EQ(resolve_location(base, "next.asp?a=b"), "http://127.0.0.1:81/dir/next.asp?a=b");
}

TEST(HttpUrl, OnlyLoopbackIsReachable) {
  EXPECT_TRUE(is_loopback_host("127.0.0.1"));
  EXPECT_TRUE(is_loopback_host("127.255.3.4"));
  EXPECT_TRUE(is_loopback_host("localhost"));
  for (const char* host : {"128.0.0.1", "10.0.0.1", "127.0.0", "127.0.0.1.5", "127.0.0.256",
                           "127.1", "example.com", "localhost.example"}) {
    EXPECT_FALSE(is_loopback_host(host)) << host;
  }
}

class Download : public ::testing::Test {
 protected:
  Download()
      : root_(std::filesystem::temp_directory_path() /
              ("qvx-dl-" +
               std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()))),
        files_(reset(root_)),
        server_(accounts()),
        downloader_(files_, {std::chrono::milliseconds(1000), std::chrono::milliseconds(600), 5}) {}
  ~Download() override { std::filesystem::remove_all(root_); }
  void SetUp() override { ASSERT_GT(server_.start(0), 0); }

  static std::filesystem::path reset(const std::filesystem::path& p) {
    std::filesystem::remove_all(p);
    return p;
  }
  static demo::AccountBook accounts() {
    std::istringstream in("demo demo123 1 2030-1-1 0:0:0 1 2 61.152.1.1\n");
    return demo::AccountBook::parse(in);
  }
  void set(const std::string& switches) {
    std::string error;
    ASSERT_TRUE(server_.apply(switches, &error)) << error;
  }
  long fetch(const std::string& target) {
    return downloader_.download(server_.base_url() + target, kTarget);
  }

  static constexpr const char* kTarget = "C:\\Quovix\\list.txt";
  std::filesystem::path root_;
  SimFiles files_;
  demo::DemoServer server_;
  HttpDownloader downloader_;
};

TEST_F(Download, SavesA2xxBodyByteForByte) {
  EXPECT_EQ(fetch("/ClientComm/list.asp?u=demo&t=abcde"), 0);
  const auto saved = files_.get(kTarget);
  ASSERT_TRUE(saved);
  httplib::Client direct("127.0.0.1", server_.port());
  EXPECT_EQ(*saved, direct.Get("/ClientComm/list.asp?u=demo&t=abcde")->body);
  EXPECT_NE(saved->find("\r\n127.0.1.1@北京电信\r\n"), std::string::npos);
  EXPECT_EQ(downloader_.fetched(),
            std::vector<std::string>{server_.base_url() + "/ClientComm/list.asp?u=demo&t=abcde"});
}

TEST_F(Download, ReachesTheServiceByTheNameLocalhost) {
  EXPECT_EQ(downloader_.download("http://localhost:" + std::to_string(server_.port()) +
                                     "/ClientComm/log1.asp?u=demo:demo123&t=abcde",
                                 kTarget),
            0);
  EXPECT_EQ(files_.get(kTarget)->substr(0, 4), "200@");
}

TEST_F(Download, HttpErrorRepliesFailAndLeaveNoFile) {
  files_.put(kTarget, "stale reply");
  set("no_list");
  EXPECT_EQ(fetch("/ClientComm/list.asp?u=demo&t=abcde"), err::failed);
  EXPECT_FALSE(files_.get(kTarget));
  set("reset,dead=500");
  EXPECT_EQ(fetch("/ClientComm/list.asp?u=demo&t=abcde"), err::failed);
  EXPECT_FALSE(files_.get(kTarget));
  set("reset");
  EXPECT_NE(fetch("/ClientComm/list.asp?u=demo"), 0);  // 400: no token
  EXPECT_FALSE(files_.get(kTarget));
}

TEST_F(Download, ServerThatClosesWithoutReplyFails) {
  set("dead=close");
  EXPECT_NE(fetch("/ClientComm/log1.asp?u=demo:demo123&t=abcde"), 0);
  EXPECT_FALSE(files_.get(kTarget));
}

TEST_F(Download, RefusedConnectionFails) {
  const std::string url = server_.base_url() + "/dl/";
  server_.stop();
  EXPECT_EQ(downloader_.download(url, kTarget), err::cannot_connect);
  EXPECT_FALSE(files_.get(kTarget));
}

TEST_F(Download, SlowServerIsCutOffByTheReadLimit) {
  set("slow=3000");
  const auto started = std::chrono::steady_clock::now();
  EXPECT_NE(fetch("/ClientComm/log2.asp?u=demo:demo123&t=abcde"), 0);
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(2500));
  EXPECT_FALSE(files_.get(kTarget));
}

TEST_F(Download, MalformedOrOutsideUrlsFailWithoutAnyRequest) {
  files_.put(kTarget, "old");
  EXPECT_EQ(downloader_.download("http://", kTarget), err::invalid_url);
  EXPECT_EQ(downloader_.download("https://127.0.0.1/", kTarget), err::invalid_url);
  EXPECT_EQ(downloader_.download("http://example.com/list.asp", kTarget), err::resolve_failed);
  EXPECT_EQ(downloader_.download("http://10.1.2.3/list.asp", kTarget), err::resolve_failed);
  EXPECT_FALSE(files_.get(kTarget));
  EXPECT_TRUE(server_.requests().empty());
  EXPECT_EQ(downloader_.fetched().size(), 4u);
}

TEST_F(Download, UnwritableTargetFails) {
  files_.make_read_only("C:\\Quovix\\");
  EXPECT_EQ(fetch("/dl/"), err::cannot_write);
  files_.clear_read_only();
  EXPECT_FALSE(files_.get(kTarget));
}

TEST_F(Download, SendsUnsafeBytesPercentEncodedAndNoFragment) {
  EXPECT_EQ(fetch("/ClientComm/log1.asp?u=de mo:\xc4\xe3#x&t=abcde"), err::failed);  // no token
  EXPECT_EQ(fetch("/ClientComm/log1.asp?u=de mo:\xc4\xe3&t=abcde"), 0);
  const auto log = server_.requests();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "GET /ClientComm/log1.asp?u=de%20mo:%C4%E3");
  EXPECT_EQ(log[1], "GET /ClientComm/log1.asp?u=de%20mo:%C4%E3&t=abcde");
  EXPECT_EQ(files_.get(kTarget)->substr(0, 4), "202@");  // unknown account "de mo"
}

// Redirects come from a scripted server: the demo service never sends one.
class Redirects : public Download {
 protected:
  void SetUp() override {
    Download::SetUp();
    const std::string service = server_.base_url();
    http_.Get("/moved", [service](const httplib::Request&, httplib::Response& res) {
      res.set_redirect(service + "/ClientComm/log2.asp?u=a:b&t=abcde");
    });
    http_.Get("/dir/relative", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("target", 307);
    });
    http_.Get("/dir/target", [](const httplib::Request&, httplib::Response& res) {
      res.set_content("arrived", "text/plain");
    });
    http_.Get("/loop",
              [](const httplib::Request&, httplib::Response& res) { res.set_redirect("/loop"); });
    http_.Get("/outside", [](const httplib::Request&, httplib::Response& res) {
      res.set_redirect("http://example.com/");
    });
    port_ = http_.bind_to_any_port("127.0.0.1");
    ASSERT_GT(port_, 0);
    thread_ = std::thread([this] { http_.listen_after_bind(); });
    while (!http_.is_running()) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  }
  void TearDown() override {
    http_.stop();
    if (thread_.joinable()) thread_.join();
  }
  long via(const std::string& path) {
    return downloader_.download("http://127.0.0.1:" + std::to_string(port_) + path, kTarget);
  }

  httplib::Server http_;
  std::thread thread_;
  int port_ = 0;
};

TEST_F(Redirects, AreFollowedToTheirTarget) {
  EXPECT_EQ(via("/moved"), 0);
  EXPECT_EQ(files_.get(kTarget), "1\r\n");
  EXPECT_EQ(via("/dir/relative"), 0);
  EXPECT_EQ(files_.get(kTarget), "arrived");
}

TEST_F(Redirects, LoopsAndOutsideTargetsFail) {
  EXPECT_EQ(via("/loop"), err::redirect_loop);
  EXPECT_FALSE(files_.get(kTarget));
  EXPECT_EQ(via("/outside"), err::resolve_failed);
  EXPECT_FALSE(files_.get(kTarget));
}

}  // namespace
}  // namespace qvx::sim
