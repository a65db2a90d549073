#include <gtest/gtest.h>

#include <map>
#include <vector>

#include "platform/sim/sim_basics.h"
#include "shell/crt_random.h"
#include "verify/network_identification.h"
#include "verify/request_urls.h"
#include "verify/server_choice.h"

namespace qvx {
namespace {

TEST(PercentEncode, LeavesWhatTheLoginWindowAdmitsAndEscapesTheRest) {
  EXPECT_EQ(percent_encode("User_01az"), "User_01az");
  EXPECT_EQ(percent_encode("a&t=b c"), "a%26t%3Db%20c");
  EXPECT_EQ(percent_encode("x:y%#?"), "x%3Ay%25%23%3F");
  EXPECT_EQ(percent_encode(std::string("\t\b\xC4\xE3", 4) + '\0'), "%09%08%C4%E3%00");
  EXPECT_EQ(percent_encode(""), "");
}

TEST(RequestToken, SameSecondSameTokenAndOnlyLettersAToY) {
  sim::SimClock clock;
  clock.set(1230768000);
  const std::string first = request_token(clock);
  crt::rand();  // draws in between do not matter: every token reseeds
  EXPECT_EQ(request_token(clock), first);
  EXPECT_EQ(first.size(), 5u);

  // Seeded like the C runtime: the token is fixed by the second.
  crt::srand(1230768000);
  std::string expected;
  for (int i = 0; i < 5; ++i) expected += static_cast<char>('a' + crt::rand() % 25);
  EXPECT_EQ(first, expected);

  std::map<char, int> seen;
  for (int s = 0; s < 2000; ++s) {
    clock.set(1230768000 + s);
    for (char c : request_token(clock)) ++seen[c];
  }
  EXPECT_EQ(seen.begin()->first, 'a');
  EXPECT_EQ(seen.rbegin()->first, 'y');
  EXPECT_EQ(seen.size(), 25u);
}

// Echo times per server; a missing entry is a failed echo. Records the order of the echoes.
struct FakeEcho {
  std::map<int, std::uint32_t> times;
  std::vector<int> asked;
  ServerEcho fn() {
    return [this](int n) -> std::optional<std::uint32_t> {
      asked.push_back(n);
      auto it = times.find(n);
      if (it == times.end()) return std::nullopt;
      return it->second;
    };
  }
};

TEST(ServerChoice, LastServerStaysUpTo200Ms) {
  FakeEcho echo;
  echo.times = {{2, 200}};
  EXPECT_TRUE(keeps_last_server(2, echo.fn()));
  EXPECT_EQ(echo.asked, std::vector<int>{2});
  echo.times[2] = 201;
  EXPECT_FALSE(keeps_last_server(2, echo.fn()));
  echo.times.clear();
  EXPECT_FALSE(keeps_last_server(2, echo.fn()));
}

TEST(ServerChoice, InvalidLastServerIsNotEchoed) {
  FakeEcho echo;
  echo.times = {{1, 1}, {2, 1}, {3, 1}};
  for (int invalid : {0, 4, -1, 99}) EXPECT_FALSE(keeps_last_server(invalid, echo.fn()));
  EXPECT_TRUE(echo.asked.empty());
}

TEST(ServerChoice, FastestWinsTiesGoLowAndNoneMeansServer1) {
  FakeEcho echo;
  echo.times = {{1, 30}, {2, 50}, {3, 30}};
  EXPECT_EQ(choose_server(echo.fn()), 1);
  EXPECT_EQ(echo.asked, (std::vector<int>{1, 2, 3}));
  echo.times = {{1, 400}, {2, 300}, {3, 20}};
  EXPECT_EQ(choose_server(echo.fn()), 3);
  echo.times = {{2, 9000}};
  EXPECT_EQ(choose_server(echo.fn()), 2);
  echo.times.clear();
  EXPECT_EQ(choose_server(echo.fn()), 1);
}

// Windows Sockets with scripted results; counts start-ups and clean-ups.
class FakeSockets : public platform::Sockets {
 public:
  bool startup_ok = true;
  std::uint16_t version = 2;  // wVersion of 2.0
  std::optional<std::string> name = std::string("pc");
  std::optional<std::uint32_t> address = 0x0501A8C0u;  // 192.168.1.5
  int startups = 0, cleanups = 0;

  bool startup(int major, int minor, std::uint16_t& obtained) override {
    EXPECT_EQ(major, 2);
    EXPECT_EQ(minor, 0);
    if (!startup_ok) return false;
    ++startups;
    obtained = version;
    return true;
  }
  void cleanup() override { ++cleanups; }
  std::optional<std::string> host_name() override { return name; }
  std::optional<std::uint32_t> resolve(const std::string& n) override {
    EXPECT_EQ(n, "pc");
    return address;
  }
  std::uint32_t inet_addr(const std::string&) override { return platform::kInaddrNone; }
  std::string inet_ntoa(std::uint32_t a) override {
    return std::to_string(a & 0xFF) + "." + std::to_string(a >> 8 & 0xFF) + "." +
           std::to_string(a >> 16 & 0xFF) + "." + std::to_string(a >> 24);
  }
};

TEST(LocalAddress, FirstAddressOfTheHostName) {
  FakeSockets s;
  EXPECT_EQ(local_address_or_default(s), "192.168.1.5");
  EXPECT_EQ(s.cleanups, 1);
}

TEST(LocalAddress, EveryFailureGives127000AndBalancesStartup) {
  FakeSockets no_start;
  no_start.startup_ok = false;
  EXPECT_EQ(local_address_or_default(no_start), "127.0.0.0");
  EXPECT_EQ(no_start.cleanups, 0);

  for (std::uint16_t version :
       {std::uint16_t(2 | 2 << 8), std::uint16_t(1 | 1 << 8), std::uint16_t(2 << 8)}) {
    FakeSockets wrong;
    wrong.version = version;
    EXPECT_EQ(query_local_address(wrong), std::nullopt) << version;
    EXPECT_EQ(wrong.cleanups, 1);
  }
  FakeSockets no_name;
  no_name.name.reset();
  EXPECT_EQ(local_address_or_default(no_name), "127.0.0.0");
  EXPECT_EQ(no_name.cleanups, no_name.startups);
  FakeSockets unresolved;
  unresolved.address.reset();
  EXPECT_EQ(local_address_or_default(unresolved), "127.0.0.0");
  EXPECT_EQ(unresolved.cleanups, 1);
}

TEST(Locality, InnerAndOuterExactlyByTheOctetTexts) {
  for (const char* inner : {"192.168.1.5", "192.1.1.1", "192.255.0.1", "172.16.0.1", "172.31.255.1",
                            "10.0.0.1", "10", "192"}) {
    EXPECT_EQ(locality_label(inner), "（内网）") << inner;
  }
  for (const char* outer :
       {"172.32.0.1", "172.15.0.1", "172.2.0.1", "172.200.0.1", "127.0.0.0", "11.0.0.1",
        "010.0.0.1", "1.10.0.0", "172", "172.", "", "58.1.2.3", "100.64.0.1"}) {
    EXPECT_EQ(locality_label(outer), "（外网）") << outer;
  }
  EXPECT_TRUE(is_inner_address("172.20"));
}

}  // namespace
}  // namespace qvx
