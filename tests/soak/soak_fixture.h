// A logged-in client run through many connect and hang-up cycles over a simulated machine that
// fails every tenth dial and every hundredth route write. After every cycle the window is idle,
// the machine holds exactly the handles it held before, no reply or temporary file is left, the
// log has grown by a bounded amount and reports each injected failure exactly once.
#pragma once
#include <algorithm>
#include <atomic>

#include "scenario/connection_fixture.h"
#include "soak_ledger.h"

namespace qvx::testing {

constexpr int kDialFailurePeriod = 10;
constexpr int kRouteFailurePeriod = 100;
// ERROR_ACCESS_DENIED, one of the answers of CreateIpForwardEntry and its Set and Delete kin:
// https://learn.microsoft.com/en-us/windows/win32/api/iphlpapi/nf-iphlpapi-createipforwardentry
constexpr std::uint32_t kRouteFailure = 5;
// One cycle writes a few dozen lines; a timer or a loop that logs on its own goes past this.
constexpr std::uintmax_t kLogBytesPerCycle = 4096;

// Counts the application's worker threads from their start to their end.
inline void count_workers(Application& app, std::atomic<int>& live) {
  app.start_thread = [&live](std::function<void()> body) {
    ++live;
    return std::thread([&live, body = std::move(body)] {
      body();
      --live;
    });
  };
}

class SoakTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    count_workers(*app, live_workers);
    set_route_tables();
    // The errors the dialer tells apart, and one it does not (800, ERROR_AUTOMATIC_VPN_FAILED,
    // in "Routing and Remote Access Error Codes", learn.microsoft.com).
    os.ras.fail_every(Call::Dial, kDialFailurePeriod, {691, 711, 633, 619, 651, 678, 769, 800}, 23);
    os.ip_helper.fail_every_write(kRouteFailurePeriod, kRouteFailure);
    log_tail.new_lines();
    soak::settle_runtime_threads();
    base = handles();
  }
  // Before the members the workers count with go.
  void TearDown() override { stop(); }

  soak::Handles handles() const { return soak::count_handles(os, ui.get(), live_workers); }

  // The mode boxes as a user sets them: relay 0 partial, 1 full; network 0 PPTP, 1 L2TP.
  void choose(int relay, int network) {
    f2().suiComboBox3.user_select(relay);
    f2().suiComboBox2.user_select(network);
  }

  // A connect click to its end; false when an injected dial failure refused it.
  bool connect_once() {
    const std::size_t failures = os.ras.injected().size();
    connect();
    if (os.ras.injected().size() == failures) return connected();
    EXPECT_TRUE(idle()) << "a refused dial leaves the window idle";
    return false;
  }

  // A connection that went down and came back (redial) or was reported; either way the window
  // ends idle with nothing of ours left.
  void finish_redial() {
    for (int tries = 0; f2().redial.pending() && tries <= Redial::kTries; ++tries) {
      ui->advance(Redial::kIntervalSeconds * 1000);
      ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
      ui->pump();
    }
    EXPECT_FALSE(f2().redial.pending());
    if (connected()) hang_up();
  }

  // The end of every cycle: the bounds hold, and the sim's own records are dropped so that the
  // memory measured is the client's.
  void end_cycle(const char* what, int cycle) {
    SCOPED_TRACE(std::string(what) + " cycle " + std::to_string(cycle));
    ASSERT_TRUE(idle()) << f2().RzStatusPane1.caption();
    check_log();
    // A joined thread may linger in the task list for a moment.
    soak::Handles now = handles();
    for (int wait = 0; now.threads != base.threads && wait < 400; ++wait) {
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
      now = handles();
    }
    ASSERT_EQ(soak::differences(base, now), "");
    ASSERT_EQ(soak::leftovers(os.files.host_path("C:\\Quovix")), std::vector<std::string>{});
    os.ras.clear_calls();
    os.ip_helper.clear_rows();
    os.downloader.clear_fetched();
    ui->clear_boxes();
  }

  // Every failure the machine injected since the last look is in the new log lines once, and
  // no other failure is.
  void check_log() {
    std::vector<std::uint32_t> expected = os.ras.injected();
    expected.erase(expected.begin(), expected.begin() + static_cast<long>(ras_failures_seen));
    ras_failures_seen += expected.size();
    const int routes = os.ip_helper.injected_failures();
    expected.insert(expected.end(), static_cast<std::size_t>(routes - route_failures_seen),
                    kRouteFailure);
    route_failures_seen = routes;
    std::vector<std::uint32_t> reported = soak::reported_errors(log_tail.new_lines());
    std::sort(expected.begin(), expected.end());
    std::sort(reported.begin(), reported.end());
    ASSERT_EQ(reported, expected);
    logged_failures += reported.size();
    ASSERT_LT(log_tail.last_read_bytes(), kLogBytesPerCycle);
    max_log_bytes = std::max(max_log_bytes, log_tail.size());
  }

  void record(const std::string& group, int cycles, const soak::Stopwatch& clock) {
    char seconds[32];
    std::snprintf(seconds, sizeof seconds, "%.1f", clock.seconds());
    soak::record_figure(group + ".cycles", std::to_string(cycles));
    soak::record_figure(group + ".seconds", seconds);
    soak::record_figure(group + ".handles_before", soak::describe(base));
    soak::record_figure(group + ".handles_after", soak::describe(handles()));
    soak::record_figure(group + ".dial_failures", std::to_string(ras_failures_seen));
    soak::record_figure(group + ".route_failures", std::to_string(route_failures_seen));
    soak::record_figure(group + ".failures_logged", std::to_string(logged_failures));
    soak::record_figure(group + ".log_bytes_max", std::to_string(max_log_bytes));
  }

  std::atomic<int> live_workers{0};
  soak::Handles base;
  soak::LogTail log_tail{os.files.host_path("C:\\Quovix\\qvxl.log")};
  std::size_t ras_failures_seen = 0;
  int route_failures_seen = 0;
  std::size_t logged_failures = 0;
  std::uintmax_t max_log_bytes = 0;
};

}  // namespace qvx::testing
