// The 14th line of user.ini (automatic redial) against files of the version before it, which
// wrote thirteen lines and read thirteen.
#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/sim_platform.h"
#include "shell/settings_content.h"
#include "verify/client_record.h"

namespace qvx {
namespace {

class UserIniRedialLineTest : public ::testing::Test {
 protected:
  // The reading rules of the version before: lines 1 to 13, the rest unread.
  static void read_thirteen(const std::string& plain, ClientRecord& record) {
    UserSettingsReader(plain).read_through(13, record);
  }
  static void read_all(const std::string& plain, ClientRecord& record) {
    UserSettingsReader(plain).read_rest(record);
  }
  static void set_options(ClientRecord& r) {
    r.remember_account = 1;
    r.account = "me";
    r.remember_password = 1;
    r.user_password = "pw";
    r.auto_connect = 1;
    r.spare_option = 7;
    r.remember_choices = 1;
    r.verify_server = 3;
    r.node_choice = 4;
    r.network_mode = 1;
    r.relay_mode = 1;
    r.minimize_on_connect = 1;
    r.no_exit_prompt = 1;
  }
  sim::SimPlatform os{std::filesystem::temp_directory_path() / "qvx-user-ini-redial"};
};

constexpr char kThirteen[] = "1\nme\n1\npw\n1\n7\n1\n3\n4\n1\n1\n1\n1\n";

TEST_F(UserIniRedialLineTest, AFileOfTheVersionBeforeIsReadWithRedialOff) {
  ClientRecord record(os.platform());
  read_all(kThirteen, record);
  EXPECT_EQ(record.auto_redial, 0);
  EXPECT_EQ(record.no_exit_prompt, 1);
  EXPECT_EQ(record.minimize_on_connect, 1);
  EXPECT_EQ(record.node_choice, 4);
}

TEST_F(UserIniRedialLineTest,
       AFileWrittenWithRedialOnKeepsTheFirstThirteenLinesForTheVersionBefore) {
  ClientRecord saved(os.platform());
  set_options(saved);
  saved.auto_redial = 1;
  const std::string plain = user_settings_content(saved);
  EXPECT_EQ(plain, std::string(kThirteen) + "1\n");

  ClientRecord old_reader(os.platform());
  read_thirteen(plain, old_reader);
  EXPECT_EQ(user_settings_content(old_reader), std::string(kThirteen) + "0\n")
      << "every member but the new one as saved";

  ClientRecord new_reader(os.platform());
  read_all(plain, new_reader);
  EXPECT_EQ(new_reader.auto_redial, 1);
  EXPECT_EQ(user_settings_content(new_reader), plain);
}

TEST_F(UserIniRedialLineTest, ABadFourteenthLineLeavesRedialOffAndTheRestUntouched) {
  const struct {
    const char* line14;
    int redial;
  } cases[] = {
      {"yes\n", 0},     {"1x\n", 0},         {"\n", 0}, {"99999999999\n", 0},
      {"1\njunk\n", 1}, {"1\n\n0\nmore", 1}, {"1", 1},  {"0\n1\n", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line14);
    ClientRecord record(os.platform());
    read_all(std::string(kThirteen) + c.line14, record);
    EXPECT_EQ(record.auto_redial, c.redial);
    EXPECT_EQ(user_settings_content(record).substr(0, sizeof kThirteen - 1), kThirteen);
  }
}

TEST_F(UserIniRedialLineTest, ReadingThatStoppedEarlierNeverReachesTheFourteenthLine) {
  ClientRecord record(os.platform());
  read_all("1\nme\n1\npw\n1\n7\nx\n3\n4\n1\n1\n1\n1\n1\n", record);
  EXPECT_EQ(record.spare_option, 7);
  EXPECT_EQ(record.remember_choices, 0);
  EXPECT_EQ(record.auto_redial, 0) << "line 7 stopped the reading";
}

}  // namespace
}  // namespace qvx
