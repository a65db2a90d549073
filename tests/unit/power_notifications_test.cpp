#include "platform/sim/model/power_notifications.h"

#include <gtest/gtest.h>

namespace qvx::model {
namespace {

constexpr Window kMain = 0x10, kOther = 0x20;

TEST(PowerNotifications, ClassicSleepReachesEveryWindowAndModernStandbyOnlyRegisteredOnes) {
  PowerNotifications classic({SleepKind::S3, true});
  EXPECT_EQ(classic.recipients({kMain, kOther}), (std::vector<Window>{kMain, kOther}));
  classic.register_window(kMain, PowerNotifications::kDeviceNotifyWindowHandle);
  EXPECT_EQ(classic.recipients({kMain, kOther}), (std::vector<Window>{kMain, kOther}))
      << "a registered window still hears each event once";

  PowerNotifications modern({SleepKind::ModernStandby, true});
  EXPECT_TRUE(modern.recipients({kMain, kOther}).empty());
  const Registration r =
      modern.register_window(kMain, PowerNotifications::kDeviceNotifyWindowHandle);
  ASSERT_NE(r, 0u);
  EXPECT_EQ(modern.recipients({kMain, kOther}), (std::vector<Window>{kMain}));
  EXPECT_TRUE(modern.unregister(r));
  EXPECT_TRUE(modern.recipients({kMain, kOther}).empty());
}

TEST(PowerNotifications, RegistrationFailsWithoutTheFunctionsOrForAnythingButAWindow) {
  PowerNotifications windows7({SleepKind::S3, false});
  EXPECT_FALSE(windows7.has_registration_functions());
  EXPECT_EQ(windows7.register_window(kMain, PowerNotifications::kDeviceNotifyWindowHandle), 0u);

  PowerNotifications machine({SleepKind::ModernStandby, true});
  EXPECT_EQ(machine.register_window(kMain, PowerNotifications::kDeviceNotifyCallback), 0u);
  EXPECT_EQ(machine.register_window(kMain, 0x7), 0u);
  EXPECT_EQ(machine.register_window(0, PowerNotifications::kDeviceNotifyWindowHandle), 0u);
  EXPECT_EQ(machine.registrations(), 0u);
}

TEST(PowerNotifications, ARegistrationIsGivenBackOnce) {
  PowerNotifications machine({SleepKind::ModernStandby, true});
  const Registration a =
      machine.register_window(kMain, PowerNotifications::kDeviceNotifyWindowHandle);
  const Registration b =
      machine.register_window(kOther, PowerNotifications::kDeviceNotifyWindowHandle);
  EXPECT_NE(a, b);
  EXPECT_TRUE(machine.unregister(a));
  EXPECT_FALSE(machine.unregister(a));
  EXPECT_FALSE(machine.unregister(0));
  EXPECT_TRUE(machine.registered(kOther));
  EXPECT_FALSE(machine.registered(kMain));
}

TEST(PowerNotifications, AWakeUpAlwaysResumesAutomaticallyAndByUserOnlyWithAUser) {
  EXPECT_EQ(PowerNotifications::sleep_events(),
            (std::vector<PowerBroadcast>{PowerBroadcast::ApmSuspend}));
  EXPECT_EQ(PowerNotifications::wake_events(false),
            (std::vector<PowerBroadcast>{PowerBroadcast::ApmResumeAutomatic}));
  EXPECT_EQ(PowerNotifications::wake_events(true),
            (std::vector<PowerBroadcast>{PowerBroadcast::ApmResumeAutomatic,
                                         PowerBroadcast::ApmResumeSuspend}));
}

}  // namespace
}  // namespace qvx::model
