// The settings window's autostart from Vista on: a logon task, with the Run value of an earlier
// version read and retired.
#include "app_fixture.h"

namespace qvx::testing {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\run";
constexpr char kTask[] = "Quovix加速";

class AutostartTest : public AppTest {
 protected:
  void SetUp() override {
    os.registry.create_key(kRunKey);
    ASSERT_TRUE(start());
  }
  TForm5& f5() { return *app->Form5; }
  bool task_exists() const { return os.logon_tasks.tasks().count(kTask) > 0; }
};

TEST_F(AutostartTest, TickingCreatesTheTaskAndRetiresAnEarlierRunValue) {
  os.registry.set_value(kRunKey, "quovixnet", std::string("C:\\Quovix\\quovix.exe"));
  f5().show();
  EXPECT_TRUE(f5().suiCheckBox1.checked()) << "the earlier version's value counts as on";
  f5().suiButton1.click();
  EXPECT_FALSE(f5().visible());
  ASSERT_TRUE(task_exists());
  EXPECT_EQ(os.logon_tasks.tasks().at(kTask), "C:\\Quovix\\quovix.exe");
  EXPECT_FALSE(os.registry.has_value(kRunKey, "quovixnet")) << "both would start the client twice";

  f5().show();
  EXPECT_TRUE(f5().suiCheckBox1.checked());
  f5().suiCheckBox1.toggle();
  f5().suiButton1.click();
  EXPECT_FALSE(task_exists());
  f5().show();
  EXPECT_FALSE(f5().suiCheckBox1.checked());
}

// The 32-bit client on 64-bit Windows wrote its Run value in the 32-bit view.
TEST_F(AutostartTest, ARunValueInTheOtherRegistryViewCountsAndIsRetiredToo) {
  const std::string other = sim::SimRegistry::other_view(kRunKey);
  os.registry.create_key(other);
  os.registry.set_value(other, "quovixnet", std::string("D:\\Quovix\\quovix.exe"));
  f5().show();
  EXPECT_TRUE(f5().suiCheckBox1.checked());
  f5().suiButton1.click();
  EXPECT_TRUE(task_exists());
  EXPECT_FALSE(os.registry.has_value(other, "quovixnet")) << "it would start a second client";
}

TEST_F(AutostartTest, UntickingRemovesAnEarlierRunValueWithoutATask) {
  os.registry.set_value(kRunKey, "quovixnet", std::string("C:\\Quovix\\quovix.exe"));
  f5().show();
  f5().suiCheckBox1.toggle();
  f5().suiButton1.click();
  EXPECT_FALSE(os.registry.has_value(kRunKey, "quovixnet"));
  EXPECT_FALSE(task_exists());
}

TEST_F(AutostartTest, ARefusedTaskIsShownUntickedWithTheWindowOpenAndNoRunValue) {
  os.logon_tasks.set_refusing(true);
  f5().show();
  f5().suiCheckBox1.toggle();
  f5().option_box(&ClientRecord::auto_connect).toggle();
  f5().suiButton1.click();
  EXPECT_TRUE(f5().visible());
  EXPECT_FALSE(f5().suiCheckBox1.checked());
  EXPECT_EQ(f5().suiCheckBox1.caption(), "开机自动启动（设置失败）");
  EXPECT_FALSE(os.registry.has_value(kRunKey, "quovixnet")) << "no Run value in its place";
  EXPECT_EQ(f1().auto_connect, 1) << "the other options are stored all the same";

  // Confirming the unticked box closes the window and gives the box its caption back.
  f5().suiButton1.click();
  EXPECT_FALSE(f5().visible());
  EXPECT_EQ(f5().suiCheckBox1.caption(), "开机自动启动");
}

// Unticking where the task cannot be deleted leaves autostart on: the box says so, ticked.
TEST_F(AutostartTest, ARefusedRemovalIsShownTickedWithTheWindowOpen) {
  os.logon_tasks.create(kTask, "C:\\Quovix\\quovix.exe");
  os.logon_tasks.set_refusing(true);
  f5().show();
  ASSERT_TRUE(f5().suiCheckBox1.checked());
  f5().suiCheckBox1.toggle();
  f5().suiButton1.click();
  EXPECT_TRUE(f5().visible());
  EXPECT_TRUE(f5().suiCheckBox1.checked());
  EXPECT_EQ(f5().suiCheckBox1.caption(), "开机自动启动（设置失败）");
  EXPECT_EQ(os.logon_tasks.tasks().count(kTask), 1u);
}

TEST_F(AutostartTest, NeitherTheSchedulerNorTheRunKeyToAskKeepsTheBoxAsItWas) {
  os.logon_tasks.create(kTask, "C:\\Quovix\\quovix.exe");
  f5().show();
  EXPECT_TRUE(f5().suiCheckBox1.checked());
  f5().suiButton2.click();
  os.logon_tasks.remove(kTask);
  os.logon_tasks.set_unreachable(true);
  os.registry.lock_key(kRunKey);
  f5().show();
  EXPECT_TRUE(f5().suiCheckBox1.checked());
}

}  // namespace
}  // namespace qvx::testing
