// Sleep and wake-up as the machine tells them: a classic machine tells every top-level
// window, a Modern Standby one only the window registered for suspend and resume.
#include "machines.h"
#include "redial_fixture.h"

namespace qvx::testing {
namespace {

// The headless windows as the simulated machine's desktop.
class HeadlessDesktop : public sim::Desktop {
 public:
  explicit HeadlessDesktop(widgets::HeadlessUi& ui) : ui_(ui) {}
  std::vector<platform::WindowHandle> top_level_windows() override { return ui_.windows(); }
  void send_power_broadcast(platform::WindowHandle window, std::uint32_t event) override {
    ui_.send_power_broadcast(window, event);
  }

 private:
  widgets::HeadlessUi& ui_;
};

struct SleepMachine {
  const char* name;
  model::PowerMachine power;
};

class SleepTest : public RedialTest {
 protected:
  // The tunnel does not survive the sleep; the user wakes the machine.
  void sleep_through_and_wake() {
    HeadlessDesktop desktop(*ui);
    os.power.sleep(desktop);
    os.ras.drop(f1().ras_connection);
    os.power.wake(desktop);
  }
  // The settle delay runs out and the redial's dial thread finishes.
  void run_resume_redial() {
    ui->advance(Redial::kSettleSeconds * 1000);
    ASSERT_TRUE(ui->pump_until([&] { return app->dial_thread == nullptr; }));
    ui->pump();
  }
};

class SleepNotificationTest : public SleepTest, public ::testing::WithParamInterface<SleepMachine> {
 protected:
  SleepNotificationTest() { os.power.set_machine(GetParam().power); }
};

TEST_P(SleepNotificationTest, AWakeUpAfterASleepWhileConnectedIsRedialledOnce) {
  f1().relay_mode = 1;
  connect();
  EXPECT_EQ(os.power.register_calls(), 1);
  EXPECT_EQ(os.power.registrations(), GetParam().power.windows8_or_later ? 1u : 0u)
      << "the main window, where the system has the call";
  sleep_through_and_wake();
  EXPECT_EQ(pane(), "连接已断开，5 秒后第 1 次重连");
  EXPECT_FALSE(f2().Timer4.enabled()) << "the monitor does not report the sleep as a drop";
  run_resume_redial();
  EXPECT_EQ(pane(), "连接状态： 已连接");
  EXPECT_EQ(dials(), 2u) << "automatic and by-user resume redial once";
  ui->advance(60000);
  EXPECT_EQ(dials(), 2u);
  EXPECT_EQ(os.ras.connection_list().size(), 1u);

  stop();
  EXPECT_EQ(os.power.registrations(), 0u) << "given back before the window went";
  EXPECT_EQ(os.power.unregister_failures(), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, SleepNotificationTest,
    ::testing::Values(SleepMachine{"ClassicSleep", {model::SleepKind::S3, true}},
                      SleepMachine{"ModernStandby", {model::SleepKind::ModernStandby, true}},
                      SleepMachine{"Windows7", {model::SleepKind::S3, false}}),
    [](const ::testing::TestParamInfo<SleepMachine>& info) {
      return std::string(info.param.name);
    });

// The laptop of the machine profiles: its flag alone makes the machine tell only registered
// windows, and the redial still follows the wake-up.
class ModernStandbyProfileTest : public SleepTest {
 protected:
  ModernStandbyProfileTest() { EXPECT_TRUE(os.load_machine(profile_text({"modern_standby"}))); }
};

TEST_F(ModernStandbyProfileTest, TheWakeUpReachesTheRedial) {
  f1().relay_mode = 1;
  connect();
  sleep_through_and_wake();
  EXPECT_EQ(pane(), "连接已断开，5 秒后第 1 次重连");
  run_resume_redial();
  EXPECT_EQ(dials(), 2u);
  stop();
}

class RefusedOnModernStandbyProfileTest : public ModernStandbyProfileTest {
 protected:
  RefusedOnModernStandbyProfileTest() { os.power.refuse_next_registration(); }
};

TEST_F(RefusedOnModernStandbyProfileTest, TheWakeUpGoesUnheard) {
  f1().relay_mode = 1;
  connect();
  sleep_through_and_wake();
  EXPECT_FALSE(f2().redial.pending()) << "a classic machine would have told every window";
  stop();
}

// A Modern Standby machine that refused the registration tells the program nothing: the
// connection lost in the sleep is left to the link monitor, which finds it as a drop.
class RefusedRegistrationTest : public SleepTest {
 protected:
  RefusedRegistrationTest() {
    os.power.set_machine({model::SleepKind::ModernStandby, true});
    os.power.refuse_next_registration();
  }
};

TEST_F(RefusedRegistrationTest, TheWakeUpGoesUnheardOnModernStandby) {
  f1().relay_mode = 1;
  connect();
  EXPECT_EQ(os.power.register_calls(), 1);
  EXPECT_EQ(os.power.registrations(), 0u);
  sleep_through_and_wake();
  EXPECT_FALSE(f2().redial.pending());
  EXPECT_TRUE(f2().Timer4.enabled()) << "the monitor still watches the link";
  stop();
  EXPECT_EQ(os.power.unregister_failures(), 0) << "nothing to give back";
}

}  // namespace
}  // namespace qvx::testing
