#include "verify/overlapped_server_choice.h"

#include <memory>
#include <utility>

namespace qvx {

OverlappedServerChoice::OverlappedServerChoice(Echo echo, Report report)
    : echo_(std::move(echo)), report_(std::move(report)) {}

OverlappedServerChoice::~OverlappedServerChoice() {
  if (last_.valid()) last_.wait();
  for (auto& f : fresh_) {
    if (f.valid()) f.wait();
  }
}

void OverlappedServerChoice::start_fresh() {
  if (fresh_started_) return;
  fresh_started_ = true;
  for (int n = 1; n <= kVerifyServers; ++n) {
    fresh_[n - 1] = std::async(std::launch::async, [this, n] { return echo_(n, [] {}); });
  }
}

ServerEchoOutcome OverlappedServerChoice::take(std::future<ServerEchoOutcome>& echo) {
  ServerEchoOutcome outcome = echo.get();
  if (!outcome.error.empty()) report_(outcome.error);
  return outcome;
}

bool OverlappedServerChoice::keeps_last(int last_server) {
  if (last_server < 1 || last_server > kVerifyServers) return false;
  // Set once the echo is sent, or once the echo ends without one (a name that did not resolve).
  auto sent = std::make_shared<std::promise<void>>();
  std::future<void> sent_or_done = sent->get_future();
  last_ = std::async(std::launch::async, [this, last_server, sent] {
    struct Mark {
      std::promise<void>& promise;
      bool set = false;
      void operator()() {
        if (!set) promise.set_value();
        set = true;
      }
      ~Mark() { (*this)(); }
    } mark{*sent};
    return echo_(last_server, [&mark] { mark(); });
  });
  sent_or_done.wait();
  if (last_.wait_for(kHeadStart + kSchedulingMargin) != std::future_status::ready) start_fresh();
  const ServerEchoOutcome last = take(last_);
  return keeps_last_server(last_server, [&](int) { return last.ms; });
}

int OverlappedServerChoice::fresh_choice() {
  start_fresh();
  std::optional<std::uint32_t> ms[kVerifyServers];
  for (int n = 1; n <= kVerifyServers; ++n) ms[n - 1] = take(fresh_[n - 1]).ms;
  return choose_server([&](int n) { return ms[n - 1]; });
}

}  // namespace qvx
