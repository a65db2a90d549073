#include <variant>

#include "connection_fixture.h"

namespace qvx::testing {
namespace {

constexpr char kRasMan[] = "SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters";
constexpr char kRecord[] = "C:\\Quovix\\rasman.ini";

class L2tpValuesTest : public ConnectionTest {
 protected:
  void SetUp() override {
    ConnectionTest::SetUp();
    f1().relay_mode = 1;
    os.registry.create_key(kRasMan);
  }
  int restart_notices() {
    int n = 0;
    for (const auto& text : boxes()) n += text.find("重新启动") != std::string::npos;
    return n;
  }
  std::string record() { return os.files.get(kRecord).value_or(""); }
};

TEST_F(L2tpValuesTest, ChoosingInternalModeWritesNothingUntilItDials) {
  f2().suiComboBox2.user_select(1);
  f2().suiComboBox2.user_select(0);
  f2().suiComboBox2.user_select(1);
  EXPECT_EQ(os.registry.write_count(), 0);
  EXPECT_FALSE(os.files.get(kRecord));

  f2().suiComboBox2.user_select(0);
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(os.registry.write_count(), 0) << "a PPTP dial needs no RAS manager value";
  EXPECT_EQ(restart_notices(), 0);
}

TEST_F(L2tpValuesTest, FirstL2tpDialWritesRecordsAndTellsOnce) {
  f2().suiComboBox2.user_select(1);
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(std::get<std::uint32_t>(*os.registry.value(kRasMan, "ProhibitIpSec")), 1u);
  EXPECT_EQ(std::get<std::uint32_t>(*os.registry.value(kRasMan, "IpOutHighWatermark")), 5u);
  EXPECT_EQ(std::get<std::uint32_t>(*os.registry.value(kRasMan, "IpOutLowWatermark")), 1u);
  EXPECT_EQ(std::get<std::string>(*os.registry.value(kRasMan, "Medias")), "rastapi");
  EXPECT_EQ(record(),
            "[created]\r\nProhibitIpSec=1\r\nIpOutHighWatermark=1\r\nIpOutLowWatermark=1\r\n"
            "Medias=1\r\n");
  EXPECT_EQ(restart_notices(), 1);

  hang_up();
  const int writes = os.registry.write_count();
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(os.registry.write_count(), writes);
  EXPECT_EQ(restart_notices(), 1) << "told once, not at every dial";

  // Choosing the other mode removes nothing: the uninstaller does.
  hang_up();
  f2().suiComboBox2.user_select(0);
  EXPECT_TRUE(os.registry.has_value(kRasMan, "ProhibitIpSec"));
}

TEST_F(L2tpValuesTest, ValuesThatExistedStayAndAreNotRecorded) {
  os.registry.set_value(kRasMan, "ProhibitIpSec", std::uint32_t{0});
  os.registry.set_value(kRasMan, "IpOutHighWatermark", std::uint32_t{20});
  f2().suiComboBox2.user_select(1);
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(std::get<std::uint32_t>(*os.registry.value(kRasMan, "ProhibitIpSec")), 0u)
      << "an administrator's 0 keeps IPsec on";
  EXPECT_EQ(std::get<std::uint32_t>(*os.registry.value(kRasMan, "IpOutHighWatermark")), 20u);
  EXPECT_EQ(record(), "[created]\r\nIpOutLowWatermark=1\r\nMedias=1\r\n");
  EXPECT_EQ(restart_notices(), 0) << "ProhibitIpSec was not written: RasMan needs no restart";
}

TEST_F(L2tpValuesTest, AnEarlierRecordIsKeptAndAValueWrittenAgainIsListedOnce) {
  os.files.put(kRecord, "[created]\r\nProhibitIpSec=1\r\n");
  f2().suiComboBox2.user_select(1);
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(record(),
            "[created]\r\nProhibitIpSec=1\r\nIpOutHighWatermark=1\r\nIpOutLowWatermark=1\r\n"
            "Medias=1\r\n");
}

TEST_F(L2tpValuesTest, WithoutAWritableKeyTheDialGoesOnUntoldAndUnrecorded) {
  os.registry.lock_key(kRasMan);
  f2().suiComboBox2.user_select(1);
  connect();
  ASSERT_TRUE(connected());
  EXPECT_EQ(os.registry.write_count(), 0);
  EXPECT_FALSE(os.files.get(kRecord));
  EXPECT_EQ(restart_notices(), 0);
}

}  // namespace
}  // namespace qvx::testing
