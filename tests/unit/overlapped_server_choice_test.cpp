#include "verify/overlapped_server_choice.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace qvx {
namespace {

using Ms = std::optional<std::uint32_t>;

// Echo outcomes per server, the same for every echo to it; records who asked, and on which
// thread the boxes were reported.
struct Echoes {
  std::map<int, Ms> times;
  std::map<int, std::string> errors;
  std::mutex mutex;
  std::vector<int> asked;
  std::vector<std::string> reported;
  std::vector<std::thread::id> reported_on;

  OverlappedServerChoice::Echo echo() {
    return [this](int n, const std::function<void()>& sending) {
      sending();
      ServerEchoOutcome outcome;
      outcome.ms = times.count(n) ? times[n] : std::nullopt;
      outcome.error = errors.count(n) ? errors[n] : "";
      std::lock_guard<std::mutex> lock(mutex);
      asked.push_back(n);
      return outcome;
    };
  }
  OverlappedServerChoice::Report report() {
    return [this](const std::string& error) {
      reported.push_back(error);
      reported_on.push_back(std::this_thread::get_id());
    };
  }
  ServerEcho sequential() {
    return [this](int n) { return times.count(n) ? times[n] : std::nullopt; };
  }
};

// Every combination of a last server (valid or not) and echo outcomes around the thresholds:
// the same decisions as the one-after-the-other rule.
TEST(OverlappedServerChoice, DecidesAsTheSequentialRuleForEveryCombination) {
  const std::vector<Ms> outcomes{std::nullopt, 0, 150, 200, 201, 2500};
  int cases = 0;
  for (int last : {0, 1, 2, 3, 4}) {
    for (const Ms& a : outcomes) {
      for (const Ms& b : outcomes) {
        for (const Ms& c : outcomes) {
          Echoes e;
          e.times = {{1, a}, {2, b}, {3, c}};
          OverlappedServerChoice choice(e.echo(), e.report());
          const bool kept = choice.keeps_last(last);
          ASSERT_EQ(kept, keeps_last_server(last, e.sequential())) << last;
          if (!kept) {
            ASSERT_EQ(choice.fresh_choice(), choose_server(e.sequential())) << last;
          }
          ++cases;
        }
      }
    }
  }
  EXPECT_EQ(cases, 5 * 6 * 6 * 6);
}

TEST(OverlappedServerChoice, AQuickLastServerIsTheOnlyEcho) {
  Echoes e;
  e.times = {{2, 40}};
  {
    OverlappedServerChoice choice(e.echo(), e.report());
    EXPECT_TRUE(choice.keeps_last(2));
  }
  EXPECT_EQ(e.asked, std::vector<int>{2});
}

TEST(OverlappedServerChoice, FailuresAreReportedOnTheAskingThreadInTheSequentialOrder) {
  Echoes e;
  e.errors = {{1, "无法解析主机名：one"}, {2, "无法解析主机名：two"}, {3, "无效的'ICMP'句柄"}};
  OverlappedServerChoice choice(e.echo(), e.report());
  EXPECT_FALSE(choice.keeps_last(2));
  EXPECT_EQ(choice.fresh_choice(), 1);
  EXPECT_EQ(e.reported, (std::vector<std::string>{"无法解析主机名：two", "无法解析主机名：one",
                                                  "无法解析主机名：two", "无效的'ICMP'句柄"}));
  for (const auto& id : e.reported_on) EXPECT_EQ(id, std::this_thread::get_id());
}

// The last server's echo is held until the three fresh echoes have begun: a choice that waited
// for it before starting them would only go on when the hold gives up.
TEST(OverlappedServerChoice, FreshEchoesDoNotWaitForASlowLastServer) {
  std::mutex mutex;
  std::condition_variable changed;
  int fresh_started = 0;
  bool overlapped = false;
  int calls = 0;
  auto echo = [&](int n, const std::function<void()>& sending) {
    sending();
    std::unique_lock<std::mutex> lock(mutex);
    if (++calls == 1) {  // the last server's echo
      overlapped =
          changed.wait_for(lock, std::chrono::seconds(20), [&] { return fresh_started == 3; });
      return ServerEchoOutcome{std::nullopt, ""};
    }
    ++fresh_started;
    changed.notify_all();
    return ServerEchoOutcome{Ms(n == 3 ? 10u : 90u), ""};
  };
  OverlappedServerChoice choice(echo, [](const std::string&) {});
  EXPECT_FALSE(choice.keeps_last(1));
  EXPECT_TRUE(overlapped);
  EXPECT_EQ(choice.fresh_choice(), 3);
}

}  // namespace
}  // namespace qvx
