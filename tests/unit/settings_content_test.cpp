#include "shell/settings_content.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/sim/sim_platform.h"
#include "verify/client_record.h"

namespace qvx {
namespace {

class SettingsContentTest : public ::testing::Test {
 protected:
  static void read_all(const std::string& plain, ClientRecord& record) {
    UserSettingsReader(plain).read_rest(record);
  }
  sim::SimPlatform os{std::filesystem::temp_directory_path() / "qvx-settings-content"};
};

// Found by fuzz_user_settings: an account of one line break shifted every later line, so
// reading stopped at the remember flag and the options after it went back to their defaults.
TEST_F(SettingsContentTest, ALineBreakInACredentialIsSavedEmptyAndKeepsTheOptionsInPlace) {
  ClientRecord saved(os.platform());
  saved.remember_account = 1;
  saved.account = "\n";
  saved.remember_password = 1;
  saved.user_password = "pw\n7";
  saved.verify_server = 3;
  saved.no_exit_prompt = 1;
  ClientRecord next(os.platform());
  read_all(user_settings_content(saved), next);
  EXPECT_EQ(next.account, "");
  EXPECT_EQ(next.remember_password, 1);
  EXPECT_EQ(next.user_password, "");
  EXPECT_EQ(next.verify_server, 3);
  EXPECT_EQ(next.no_exit_prompt, 1);
}

TEST_F(SettingsContentTest, ShortOrBrokenContentStopsReadingAndKeepsTheRest) {
  ClientRecord record(os.platform());
  record.verify_server = 2;
  read_all("1\nme\nx\npw\n", record);
  EXPECT_EQ(record.account, "me");
  EXPECT_EQ(record.remember_password, 0);
  EXPECT_EQ(record.user_password, "") << "reading stopped at the bad number line";
  EXPECT_EQ(record.verify_server, 2);
}

}  // namespace
}  // namespace qvx
