// The demo verification service, driven over real HTTP on loopback.
#include <gtest/gtest.h>
#include <httplib.h>

#include <chrono>
#include <sstream>
#include <vector>

#include "tools/demo_service/demo_server.h"
#include "tools/demo_service/replies.h"

namespace qvx::demo {
namespace {

const char kAccounts[] =
    "# name password level date time days points ip\n"
    "demo demo123 1 2030-12-31 23:59:59 1800 120 61.152.12.34\n"
    "\n"
    "trial trial123 0 2030-1-1 0:0:0 30 0 123.118.5.6   # a trial\n";

AccountBook book(const std::string& text) {
  std::istringstream in(text);
  return AccountBook::parse(in);
}

std::vector<std::string> split_at(const std::string& s, char sep) {
  std::vector<std::string> out(1);
  for (char c : s) {
    if (c == sep) {
      out.emplace_back();
    } else {
      out.back() += c;
    }
  }
  return out;
}

TEST(DemoAccounts, ParsesFieldsAndSkipsCommentsAndBlankLines) {
  const AccountBook b = book(kAccounts);
  ASSERT_TRUE(b.valid()) << b.error();
  EXPECT_EQ(b.size(), 2u);
  const auto trial = b.find("trial");
  ASSERT_TRUE(trial);
  EXPECT_EQ(trial->password, "trial123");
  EXPECT_EQ(trial->level, "0");
  EXPECT_EQ(trial->expiry_time, "2030-1-1 0:0:0");
  EXPECT_EQ(trial->external_ip, "123.118.5.6");
  EXPECT_FALSE(b.find("nobody"));
}

TEST(DemoAccounts, RejectsShortLinesDuplicatesAndMissingFiles) {
  EXPECT_FALSE(book("demo demo123 1 2030-12-31 23:59:59 1800 120\n").valid());
  EXPECT_FALSE(book("a b 1 2030-1-1 0:0:0 1 1 1.2.3.4 surplus\n").valid());
  EXPECT_FALSE(
      book("a b 1 2030-1-1 0:0:0 1 1 1.2.3.4\na c 1 2030-1-1 0:0:0 1 1 1.2.3.4\n").valid());
  EXPECT_FALSE(AccountBook::load("/nonexistent/accounts.txt").valid());
}

TEST(DemoAccounts, CommittedFileHoldsTheDemoAccounts) {
  const AccountBook b = AccountBook::load(QVX_DEMO_ACCOUNTS);
  ASSERT_TRUE(b.valid()) << b.error();
  EXPECT_EQ(b.find("demo")->password, "demo123");
  EXPECT_EQ(b.find("demo")->external_ip.rfind("61.152.", 0), 0u);  // a CHINANET range
  EXPECT_EQ(b.find("trial")->level, "0");
  EXPECT_EQ(b.find("expired")->expiry_time, "2020-1-1 0:0:0");
}

TEST(DemoScenario, SwitchesApplyAndBadOnesChangeNothing) {
  Scenario s;
  std::string error;
  ASSERT_TRUE(s.apply_list("old_version,nodes=60,slow=250,dead=500", &error)) << error;
  EXPECT_EQ(s.min_version, "2431");
  EXPECT_EQ(s.node_count, 60);
  EXPECT_EQ(s.delay_ms, 250);
  EXPECT_EQ(s.dead, Dead::error500);
  EXPECT_FALSE(s.apply("nodes", "many", &error));
  EXPECT_FALSE(s.apply("min_version", "24a", &error));
  EXPECT_FALSE(s.apply("dead", "maybe", &error));
  for (const char* net : {"10.77", "10.77.0.1", "10.77.256", "10..1", "10.77.0.", "a.b.c", ""}) {
    EXPECT_FALSE(s.apply("node_net", net, &error)) << net;
  }
  EXPECT_EQ(s.node_net, "127.0.1");
  EXPECT_FALSE(s.apply("flood", "", &error));
  EXPECT_EQ(error, "unknown switch: flood");
  EXPECT_EQ(s.node_count, 60);
  ASSERT_TRUE(s.apply_list("reset,new_version", &error));
  EXPECT_EQ(s.min_version, "2430");
  EXPECT_EQ(s.latest_version, "2431");
  EXPECT_EQ(s.dead, Dead::no);
}

TEST(DemoReplies, ServerTimeHasNoLeadingZeros) {
  std::tm t{};
  t.tm_year = 108;
  t.tm_mon = 4;
  t.tm_mday = 1;
  t.tm_hour = 10;
  EXPECT_EQ(server_time(t), "2008-5-1 10:0:0");
}

// What the client reads from a node-list reply, read the way it reads it.
struct NodeList {
  int discarded[2] = {-1, -1};
  std::vector<std::string> nodes;
  int notice_enabled = -1, notice_delay = -1, tips_enabled = -1, tips_delay = -1;
  std::string notice_text, notice_url, tips_url;
  std::vector<std::pair<std::string, std::string>> ticker;
  std::vector<std::string> pages;
  int trailing = -1;
  bool complete = false;
};

NodeList read_node_list(const std::string& body) {
  NodeList l;
  std::istringstream in(body);
  int n = 0, m = 0;
  in >> l.discarded[0] >> l.discarded[1] >> n;
  for (int i = 0; i < n && in; ++i) {
    std::string token;
    in >> token;
    l.nodes.push_back(token);
  }
  in >> l.notice_enabled >> l.notice_text >> l.notice_url >> l.notice_delay >> m;
  for (int i = 0; i < m && in; ++i) {
    std::string text, url;
    in >> text >> url;
    l.ticker.emplace_back(text, url);
  }
  in >> l.tips_enabled >> l.tips_url >> l.tips_delay;
  for (int i = 0; i < 6 && in; ++i) {
    std::string url;
    in >> url;
    l.pages.push_back(url);
  }
  in >> l.trailing;
  std::string surplus;
  l.complete = in && !(in >> surplus);
  return l;
}

class DemoService : public ::testing::Test {
 protected:
  DemoService() : server_(book(kAccounts)) {}
  void SetUp() override {
    ASSERT_GT(server_.start(0), 0);
    client_ = std::make_unique<httplib::Client>("127.0.0.1", server_.port());
    client_->set_read_timeout(5, 0);
  }
  void set(const std::string& switches) {
    std::string error;
    ASSERT_TRUE(server_.apply(switches, &error)) << error;
  }
  httplib::Result get(const std::string& target) { return client_->Get(target); }
  std::string body(const std::string& target) {
    auto res = get(target);
    EXPECT_TRUE(res) << target;
    if (!res) return {};
    EXPECT_EQ(res->status, 200) << target;
    return res->body;
  }
  std::string site() { return "http://127.0.0.1:" + std::to_string(server_.port()); }

  DemoServer server_;
  std::unique_ptr<httplib::Client> client_;
};

TEST_F(DemoService, KnownAccountGetsTheFullVerificationReply) {
  const std::string line = body("/ClientComm/log1.asp?u=demo:demo123&t=abcde");
  ASSERT_EQ(line.substr(line.size() - 2), "\r\n");
  EXPECT_LE(line.size() - 2, 199u);  // the client reads at most 199 bytes
  const auto f = split_at(line.substr(0, line.size() - 2), '@');
  ASSERT_EQ(f.size(), 11u) << line;
  EXPECT_EQ(f[0], "200");
  EXPECT_EQ(f[1], "2430");
  EXPECT_EQ(f[2], "2430");
  EXPECT_EQ(f[3], "1");
  EXPECT_EQ(split_at(f[4], ' ').size(), 2u);
  EXPECT_EQ(f[5], "2030-12-31 23:59:59");
  EXPECT_EQ(f[6], "1800");
  EXPECT_EQ(f[7], "120");
  EXPECT_EQ(f[8], "61.152.12.34");
  EXPECT_EQ(f[9], site() + "/ClientComm/list.asp?u=demo&t=");
  EXPECT_EQ(f[10], "");
}

TEST_F(DemoService, HandsOutUrlsOnTheHostTheClientUsed) {
  httplib::Client by_name("localhost", server_.port());
  auto res = by_name.Get("/ClientComm/log1.asp?u=trial:trial123&t=abcde");
  ASSERT_TRUE(res);
  EXPECT_NE(res->body.find("@http://localhost:" + std::to_string(server_.port()) +
                           "/ClientComm/list.asp?u=trial&t=@"),
            std::string::npos)
      << res->body;
}

TEST_F(DemoService, WrongPasswordUnknownAccountAndBadFormAreRefused) {
  for (const char* target :
       {"/ClientComm/log1.asp?u=demo:demo12&t=abcde", "/ClientComm/log1.asp?u=demo:&t=abcde",
        "/ClientComm/log1.asp?u=nobody:demo123&t=abcde", "/ClientComm/log1.asp?u=demo&t=abcde",
        "/ClientComm/log1.asp?t=abcde"}) {
    const std::string line = body(target);
    EXPECT_FALSE(line.empty()) << target;
    EXPECT_NE(line.substr(0, 4), "200@") << target;
  }
  EXPECT_EQ(body("/ClientComm/log1.asp?u=demo:demo12&t=abcde").substr(0, 4), "201@");
}

TEST_F(DemoService, ServiceRequestsWithoutAValidTokenAreRejected) {
  for (const char* path :
       {"/ClientComm/log1.asp?u=demo:demo123", "/ClientComm/log2.asp?u=demo:demo123",
        "/ClientComm/list.asp?u=demo", "/ClientComm/set.asp?x=1"}) {
    for (const char* token : {"", "&t=", "&t=abcd", "&t=abcdz", "&t=ABCDE", "&t=abcdef"}) {
      auto res = get(std::string(path) + token);
      ASSERT_TRUE(res);
      EXPECT_EQ(res->status, 400) << path << token;
    }
    EXPECT_EQ(get(std::string(path) + "&t=ayaya")->status, 200) << path;
  }
}

TEST_F(DemoService, NodeListReadsAsTheClientReadsIt) {
  const NodeList l = read_node_list(body("/ClientComm/list.asp?u=demo&t=abcde"));
  ASSERT_TRUE(l.complete);
  ASSERT_EQ(l.nodes.size(), 8u);
  for (const std::string& node : l.nodes) {
    const auto at = node.find('@');
    ASSERT_NE(at, std::string::npos) << node;
    EXPECT_EQ(node.rfind("127.", 0), 0u) << node;
    EXPECT_GT(node.size(), at + 1);
  }
  EXPECT_EQ(l.nodes[0], "127.0.1.1@北京电信");
  EXPECT_EQ(l.notice_enabled, 1);
  EXPECT_GE(static_cast<unsigned char>(l.notice_text[0]), 0x80);  // GBK Chinese
  EXPECT_EQ(l.notice_url, site() + "/notice.asp");
  EXPECT_EQ(l.notice_delay, 10);
  ASSERT_EQ(l.ticker.size(), 3u);
  EXPECT_EQ(l.ticker[1].second, site() + "/news/2.asp");
  EXPECT_EQ(l.tips_enabled, 1);
  EXPECT_EQ(l.tips_url, site() + "/tips.asp");
  EXPECT_EQ(l.tips_delay, 60);
  ASSERT_EQ(l.pages.size(), 6u);
  EXPECT_EQ(l.pages[0], site() + "/user/home.asp");
  EXPECT_EQ(l.pages[5], site() + "/liuyan.asp");
  EXPECT_EQ(l.trailing, 0);
}

TEST_F(DemoService, NodeCountAndDelaySwitchesShapeTheList) {
  set("empty_list,notice=0,tips=0");
  NodeList l = read_node_list(body("/ClientComm/list.asp?u=demo&t=abcde"));
  ASSERT_TRUE(l.complete);
  EXPECT_TRUE(l.nodes.empty());
  EXPECT_EQ(l.notice_enabled, 0);
  EXPECT_EQ(l.tips_enabled, 0);

  set("reset,huge_list,short_delays");
  l = read_node_list(body("/ClientComm/list.asp?u=demo&t=abcde"));
  ASSERT_TRUE(l.complete);
  ASSERT_EQ(l.nodes.size(), 60u);  // more than the client's 49 slots
  EXPECT_EQ(l.nodes[59].substr(0, l.nodes[59].find('@')), "127.0.1.60");
  EXPECT_EQ(l.notice_delay, 1);
  EXPECT_EQ(l.tips_delay, 11);

  set("reset,nodes=49,node_net=10.77.0");
  l = read_node_list(body("/ClientComm/list.asp?u=demo&t=abcde"));
  ASSERT_EQ(l.nodes.size(), 49u);
  EXPECT_EQ(l.nodes[0].substr(0, l.nodes[0].find('@')), "10.77.0.1");
  EXPECT_EQ(l.nodes[48].substr(0, l.nodes[48].find('@')), "10.77.0.49");
}

TEST_F(DemoService, SettingsReplyHasKeyedTokensInTableOrder) {
  std::istringstream in(body("/ClientComm/set.asp?t=abcde"));
  std::vector<std::string> tokens;
  for (std::string t; in >> t;) tokens.push_back(t);
  // title, notice flag/text/url/delay, ticker count, its pairs, tips flag/url/delay, 5 pages.
  ASSERT_GE(tokens.size(), 6u);
  ASSERT_EQ(tokens[5].rfind("ticker=", 0), 0u);
  const int m = std::stoi(tokens[5].substr(7));
  ASSERT_EQ(tokens.size(), 6u + 2 * m + 3 + 5);
  for (std::size_t i = 0; i < tokens.size(); ++i) {
    const bool pair = i >= 6 && i < 6u + 2 * m;
    EXPECT_EQ(tokens[i].find('=') != std::string::npos, !pair) << i << " " << tokens[i];
  }
  EXPECT_EQ(tokens[0], "title=Quovix加速演示版");
  EXPECT_EQ(tokens.back(), "board=" + site() + "/liuyan2.asp");
}

TEST_F(DemoService, VersionAndRefusalSwitches) {
  set("old_version");
  EXPECT_EQ(body("/ClientComm/log1.asp?u=demo:demo123&t=abcde").substr(0, 14), "200@2431@2431@");
  set("reset,new_version");
  EXPECT_EQ(body("/ClientComm/log1.asp?u=demo:demo123&t=abcde").substr(0, 14), "200@2430@2431@");
  set("reset,wrong_password");
  EXPECT_EQ(body("/ClientComm/log1.asp?u=demo:demo123&t=abcde").substr(0, 4), "201@");
}

TEST_F(DemoService, MissingListAndSettingsAnswer404WhileLoginWorks) {
  set("no_list,no_settings");
  EXPECT_EQ(get("/ClientComm/list.asp?u=demo&t=abcde")->status, 404);
  EXPECT_EQ(get("/ClientComm/set.asp?t=abcde")->status, 404);
  EXPECT_EQ(body("/ClientComm/log1.asp?u=demo:demo123&t=abcde").substr(0, 4), "200@");
}

TEST_F(DemoService, DeadServerGivesNoReplyOr500ButStaysControllable) {
  set("dead=close");
  auto res = get("/ClientComm/log1.asp?u=demo:demo123&t=abcde");
  EXPECT_FALSE(res);
  EXPECT_NE(body("/control").find("dead=close"), std::string::npos);

  set("dead=500");
  res = get("/ClientComm/list.asp?u=demo&t=abcde");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 500);

  // Switched back over the control endpoint itself.
  EXPECT_NE(body("/control?scenario=dead=no").find("dead=no"), std::string::npos);
  EXPECT_EQ(body("/ClientComm/log1.asp?u=demo:demo123&t=abcde").substr(0, 4), "200@");
}

TEST_F(DemoService, SlowSwitchDelaysServiceRepliesOnly) {
  set("slow=400");
  auto started = std::chrono::steady_clock::now();
  body("/ClientComm/log2.asp?u=demo:demo123&t=abcde");
  EXPECT_GE(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(400));
  started = std::chrono::steady_clock::now();
  body("/dl/");
  EXPECT_LT(std::chrono::steady_clock::now() - started, std::chrono::milliseconds(400));
}

TEST_F(DemoService, ControlEndpointRejectsBadSwitchesWithoutChanges) {
  set("nodes=3");
  auto res = get("/control?scenario=nodes=3,bogus");
  ASSERT_TRUE(res);
  EXPECT_EQ(res->status, 400);
  EXPECT_EQ(server_.scenario().node_count, 3);
  EXPECT_NE(body("/control?scenario=nodes%3D5").find("nodes=5"), std::string::npos);
}

TEST_F(DemoService, LogsRequestTargetsAsSent) {
  body("/ClientComm/log1.asp?u=de%20mo:pw&t=abcde");
  body("/dl/");
  const auto log = server_.requests();
  ASSERT_EQ(log.size(), 2u);
  EXPECT_EQ(log[0], "GET /ClientComm/log1.asp?u=de%20mo:pw&t=abcde");
  EXPECT_EQ(log[1], "GET /dl/");
}

TEST_F(DemoService, ServesEveryPageTheClientOpens) {
  const NodeList l = read_node_list(body("/ClientComm/list.asp?u=demo&t=abcde"));
  std::vector<std::string> urls = l.pages;
  urls.push_back(l.notice_url);
  urls.push_back(l.tips_url);
  for (const auto& t : l.ticker) urls.push_back(t.second);
  for (const char* path : {"/", "/dl/", "/ad/", "/reg.asp", "/find.asp", "/xinshou.asp"}) {
    urls.push_back(site() + path);
  }
  for (const std::string& url : urls) {
    ASSERT_EQ(url.rfind(site(), 0), 0u) << url;
    const std::string page = body(url.substr(site().size()));
    EXPECT_NE(page.find("<html>"), std::string::npos) << url;
  }
  EXPECT_EQ(get("/nothing.asp")->status, 404);
  const std::string home = body("/user/home.asp?username=<demo>&password=X&red=mai&u31=m");
  EXPECT_NE(home.find("&lt;demo&gt;"), std::string::npos);
}

}  // namespace
}  // namespace qvx::demo
