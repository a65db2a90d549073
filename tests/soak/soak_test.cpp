#include "scenario/login_fixture.h"
#include "shell/password.h"
#include "shell/run_log.h"
#include "soak_fixture.h"

namespace qvx::testing {
namespace {

constexpr char kDropBox[] = "网络原因，异常中断";

TEST_F(SoakTest, TwoThousandConnectsAndHangUpsInBothRelayAndNetworkModes) {
  constexpr int kCycles = 2000;
  const soak::Stopwatch clock;
  long peak_at_100 = 0;
  long long heap_at_100 = 0;
  for (int cycle = 1; cycle <= kCycles; ++cycle) {
    choose(cycle % 2, (cycle / 2) % 2);
    // Now and then RAS takes its time to let a hung-up connection go.
    os.ras.hang_up_linger = std::chrono::milliseconds(cycle % 100 == 0 ? 20 : 0);
    if (connect_once()) {
      ui->advance(5000);  // a look of the link monitor, with the traffic counters
      ASSERT_TRUE(connected());
      hang_up();
    }
    end_cycle("connect", cycle);
    if (HasFatalFailure()) return;
    if (cycle == 100) {
      peak_at_100 = soak::peak_resident_kib();
      heap_at_100 = soak::live_heap_bytes();
    }
  }
  const long peak_at_end = soak::peak_resident_kib();
  const long long heap_at_end = soak::live_heap_bytes();
  EXPECT_LT(heap_at_end - heap_at_100, 1 << 20) << "heap bytes at 100: " << heap_at_100;
#if !defined(__SANITIZE_ADDRESS__) && !defined(__SANITIZE_THREAD__)
  // Under a sanitizer the resident size also holds its runtime's records of the thousands of
  // threads the cycles start (and ASan's quarantine of freed blocks); there the heap is the bound.
  EXPECT_LT(peak_at_end - peak_at_100, 1024) << "peak resident KiB at 100: " << peak_at_100;
#endif
  EXPECT_EQ(os.ras.injected().size(), static_cast<std::size_t>(kCycles / kDialFailurePeriod));
  EXPECT_GT(os.ip_helper.injected_failures(), 0);
  record("connect", kCycles, clock);
  soak::record_figure("connect.peak_kib_100", std::to_string(peak_at_100));
  soak::record_figure("connect.peak_kib_end", std::to_string(peak_at_end));
  soak::record_figure("connect.heap_bytes_100", std::to_string(heap_at_100));
  soak::record_figure("connect.heap_bytes_end", std::to_string(heap_at_end));
}

TEST_F(SoakTest, FiveHundredDropsHiccupsAndRealOnesWithRedialOffAndOn) {
  constexpr int kDrops = 500;
  const soak::Stopwatch clock;
  for (int drop = 1; drop <= kDrops; ++drop) {
    const bool real = drop % 2 == 0;
    f1().auto_redial = (drop / 2) % 2;
    choose((drop / 4) % 2, (drop / 8) % 2);
    while (!connect_once()) {
      end_cycle("refused before drop", drop);
      if (HasFatalFailure()) return;
    }
    if (real) {
      os.ras.drop(f1().ras_connection);
    } else {
      os.ras.fail_next(Call::ConnectStatus, 6);  // ERROR_INVALID_HANDLE at one look only
    }
    ui->advance(5000);
    ASSERT_TRUE(f2().SecondLook.enabled()) << "the first look found the link down";
    ui->advance(6000);
    if (!real) {
      ASSERT_TRUE(connected());
      ASSERT_TRUE(f2().Timer4.enabled()) << "watched again after a hiccup";
      hang_up();
    } else if (f1().auto_redial == 1) {
      ASSERT_TRUE(f2().redial.pending());
      finish_redial();
    } else {
      ASSERT_EQ(boxes(), std::vector<std::string>{kDropBox});
    }
    end_cycle("drop", drop);
    if (HasFatalFailure()) return;
  }
  record("drop", kDrops, clock);
}

TEST_F(SoakTest, TwoHundredAutomaticNodeChoices) {
  constexpr int kChoices = 200;
  const soak::Stopwatch clock;
  for (int choice = 1; choice <= kChoices; ++choice) {
    const int faster = 1 + choice % 2;
    os.icmp.set_round_trip("127.0.0.2", faster == 1 ? 8 : 30);
    os.icmp.set_round_trip("127.0.0.3", faster == 2 ? 8 : 30);
    f2().suiComboBox1.user_select(0);
    choose(choice % 2, (choice / 2) % 2);
    connect_once();
    EXPECT_EQ(f2().suiComboBox1.item_index(), faster);
    if (connected()) hang_up();
    end_cycle("choice", choice);
    if (HasFatalFailure()) return;
  }
  EXPECT_EQ(os.icmp.total_probes(), kChoices * 2 * 2);
  record("choice", kChoices, clock);
}

// Logins, each after an exit and a new start over the same machine, with a run log of weeks
// that the restarts carry over its size limit.
class LoginSoak : public LoginTest {
 protected:
  static constexpr char kUserIni[] = "C:\\Quovix\\user.ini";
  static constexpr char kLog[] = "C:\\Quovix\\qvxl.log";

  void TearDown() override { stop(); }

  std::string user_ini() {
    return unscramble_file_bytes(os.files.get(kUserIni).value_or(""), os.clock);
  }
  soak::Handles handles() const { return soak::count_handles(os, ui.get(), live_workers); }
  std::int64_t log_size() { return os.files.size(kLog); }

  // The process entry, with the run log's size rule: a log at its limit starts empty.
  void start_checking_log() {
    const std::int64_t before = log_size();
    start_client();
    count_workers(*app, live_workers);
    const std::int64_t after = log_size();
    if (before >= kLogSizeLimit) {
      ++log_emptied;
      EXPECT_LT(after, 4096);
    } else {
      EXPECT_GE(after, before) << "appended below the limit";
    }
    EXPECT_LT(after, kLogSizeLimit + static_cast<std::int64_t>(kLogBytesPerCycle));
  }

  // 退出 from the tray menu, then the process ends; what it wrote is kept to compare.
  void exit_client() {
    saved = {"", f1().remember_account, f1().remember_password, f1().auto_redial, f1().account};
    f1().N1Click();
    ASSERT_TRUE(ui->quit_requested());
    saved.file = user_ini();
    stop();
    os.clock.advance(1);
  }

  void set_checked(widgets::CheckBox& box, bool on) {
    if (box.checked() != on) box.toggle();
  }

  struct Saved {
    std::string file;
    int remember_account = 0, remember_password = 0, auto_redial = 0;
    std::string account;
  };

  std::atomic<int> live_workers{0};
  int log_emptied = 0;
  Saved saved;
};

TEST_F(LoginSoak, HundredLoginsEachAfterAnExitAndARestartThatReadsTheSettingsBack) {
  constexpr int kLogins = 100;
  const soak::Stopwatch clock;
  os.files.put(kLog, std::string(kLogSizeLimit - 30000, 'x') + "\r\n");
  start_checking_log();
  exit_client();
  std::optional<soak::Handles> logged_in;
  int accounts_restored = 0;
  for (int login_no = 1; login_no <= kLogins; ++login_no) {
    SCOPED_TRACE("login " + std::to_string(login_no));
    start_checking_log();
    EXPECT_EQ(user_ini(), saved.file) << "read back and kept as written";
    EXPECT_EQ(f1().remember_account, saved.remember_account);
    EXPECT_EQ(f1().remember_password, saved.remember_password);
    EXPECT_EQ(f1().auto_redial, saved.auto_redial);
    EXPECT_EQ(f1().Edit1.text(), saved.remember_account ? saved.account : "");
    accounts_restored += !f1().Edit1.text().empty();

    f1().Edit1.set_text("");
    f1().Edit2.set_text("");
    set_checked(f1().suiCheckBox1, login_no % 2 == 0);
    set_checked(f1().suiCheckBox2, login_no % 3 == 0);
    codes.clear();
    const WorkerId thread =
        login("user" + std::to_string(login_no), "pw" + std::to_string(login_no));
    ASSERT_NE(thread, 0u);
    finish(thread);
    // The login lets go of its worker before the worker's thread has returned; the handles are
    // counted once it has (a thread that never ends fails here).
    ASSERT_TRUE(ui->pump_until([&] { return live_workers == 0; }));
    ASSERT_EQ(codes.back(), progress::kLoggedIn);
    ASSERT_TRUE(f2().visible());
    const soak::Handles now = handles();
    if (!logged_in) logged_in = now;
    ASSERT_EQ(soak::differences(*logged_in, now), "");
    ASSERT_EQ(soak::leftovers(os.files.host_path("C:\\Quovix")), std::vector<std::string>{});

    f1().auto_redial = login_no % 2;
    exit_client();
    const soak::Handles gone = handles();
    EXPECT_EQ(gone.ras_connections + gone.ras_entries + gone.downloads, 0u);
    EXPECT_EQ(gone.icmp_handles + gone.open_files + gone.workers, 0) << soak::describe(gone);
    ASSERT_EQ(soak::leftovers(os.files.host_path("C:\\Quovix")), std::vector<std::string>{});
    if (HasFatalFailure()) return;
  }
  EXPECT_GT(accounts_restored, 0);
  EXPECT_EQ(log_emptied, 1);
  soak::record_figure("login.cycles", std::to_string(kLogins));
  char seconds[32];
  std::snprintf(seconds, sizeof seconds, "%.1f", clock.seconds());
  soak::record_figure("login.seconds", seconds);
  soak::record_figure("login.handles_logged_in", soak::describe(*logged_in));
  soak::record_figure("login.handles_after_exit", soak::describe(handles()));
  soak::record_figure("login.log_emptied", std::to_string(log_emptied));
}

}  // namespace
}  // namespace qvx::testing
