#include <sys/wait.h>
#include <unistd.h>
#include <csignal>

#include "app_fixture.h"
#include "project_version.h"
#include "shell/password.h"

namespace qvx::testing {
namespace {

constexpr char kUserIni[] = "C:\\Quovix\\user.ini";
constexpr char kSiteIni[] = "C:\\Quovix\\softsetup.ini";

class SettingsFilesTest : public AppTest {
 protected:
  std::string plain(const char* path) {
    return unscramble_file_bytes(os.files.get(path).value_or(""), os.clock);
  }
  void put_plain(const char* path, const std::string& text) {
    os.files.put(path, scramble_to_file_bytes(text, os.clock));
  }
  void exit_client() {
    f1().close();
    stop();
    os.clock.advance(1);
  }
};

TEST_F(SettingsFilesTest, AllFourteenMembersSurviveARestart) {
  ASSERT_TRUE(start());
  f1().Edit1.type_text("user_7");
  f1().Edit2.type_text("pw9");
  f1().suiCheckBox2.toggle();
  f1().auto_connect = 1;
  f1().spare_option = -4;
  f1().remember_choices = 1;
  f1().verify_server = 3;
  f1().node_choice = 2;
  f1().network_mode = 1;
  f1().relay_mode = 1;
  f1().minimize_on_connect = 1;
  f1().no_exit_prompt = 1;
  f1().auto_redial = 1;
  exit_client();
  // The login is the Windows user's (shared_pc_test.cpp); the program folder keeps the rest.
  EXPECT_EQ(plain(kUserIni), "0\n\n0\n\n1\n-4\n1\n3\n2\n1\n1\n1\n1\n1\n");
  const std::string disk = os.files.get(kUserIni).value();
  EXPECT_EQ(disk.find("-4"), std::string::npos) << "plain text on disk";

  ASSERT_TRUE(start());
  EXPECT_EQ(f1().Edit1.text(), "user_7");
  EXPECT_TRUE(f1().suiCheckBox1.checked());
  EXPECT_EQ(f1().Edit2.text(), "pw9");
  EXPECT_TRUE(f1().suiCheckBox2.checked());
  EXPECT_EQ(f1().user_password, "pw9");
  EXPECT_EQ(f1().spare_option, -4);
  EXPECT_EQ(f1().verify_server, 3);
  EXPECT_EQ(f1().node_choice, 2);
  EXPECT_EQ(f1().network_mode, 1);
  EXPECT_EQ(f1().relay_mode, 1);
  EXPECT_EQ(f1().minimize_on_connect, 1);
  EXPECT_EQ(f1().no_exit_prompt, 1);
  EXPECT_EQ(f1().auto_connect, 1);
  EXPECT_EQ(f1().remember_choices, 1);
  EXPECT_EQ(f1().auto_redial, 1);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(SettingsFilesTest, LastTwoLogLinesOfARunAreSavingAndExit) {
  ASSERT_TRUE(start());
  exit_client();
  const std::string text = log();
  const std::string tail = "更新用户配置文件\r\n[2009-1-1 0:0:0]  成功退出\r\n";
  ASSERT_GE(text.size(), tail.size());
  EXPECT_EQ(text.substr(text.size() - tail.size()), tail);
  EXPECT_NE(text.find("读取用户配置文件"), std::string::npos);
}

TEST_F(SettingsFilesTest, UnrememberedPasswordIsWrittenButNotRestored) {
  ASSERT_TRUE(start());
  f1().Edit1.type_text("u1");
  f1().Edit2.type_text("secret");
  exit_client();
  EXPECT_EQ(os.hives[os.session.user]["Login"], "1\nu1\n0\n");
  EXPECT_EQ(os.data_protection.unprotect(os.hives[os.session.user]["Password"]), "secret");
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().Edit2.text(), "");
  EXPECT_EQ(f1().user_password, "");
  EXPECT_FALSE(f1().suiCheckBox2.checked());
  EXPECT_EQ(f1().Edit1.text(), "u1");
}

TEST_F(SettingsFilesTest, UnrememberedAccountIsClearedFromTheRecord) {
  put_plain(kUserIni, "0\nsomeone\n0\n\n0\n0\n0\n1\n0\n0\n0\n0\n0\n");
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().account, "");
  EXPECT_EQ(f1().Edit1.text(), "");
}

TEST_F(SettingsFilesTest, ReadingStopsAtTheFirstBadNumberLine) {
  put_plain(kUserIni, "1\nab\n0\n\n1\nxyz\n1\n3\n");
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().account, "ab");
  EXPECT_EQ(f1().auto_connect, 1);
  EXPECT_EQ(f1().spare_option, 0);
  EXPECT_EQ(f1().remember_choices, 0);
  EXPECT_EQ(f1().verify_server, 1);
}

TEST_F(SettingsFilesTest, MissingUserIniIsCreatedScrambled) {
  ASSERT_TRUE(start());
  const auto disk = os.files.get(kUserIni);
  ASSERT_TRUE(disk.has_value());
  EXPECT_EQ(plain(kUserIni), "");
  EXPECT_NE(disk->find("\r\n"), std::string::npos);
  EXPECT_EQ(os.files.get(kSiteIni), std::nullopt) << "the site file is never created";
}

TEST_F(SettingsFilesTest, SiteConfigIsReadByPositionAndRescrambledEachStart) {
  const std::string site =
      "title=我的加速\nlogin=http://x/dl/\nreg=http://x/reg.asp?a=b=c\nfind=x/find.asp\n"
      "site=http://x\nhelp=http://x/help\nset=http://x/set.asp?k=1\n";
  put_plain(kSiteIni, site);
  const std::string before = os.files.get(kSiteIni).value();
  os.clock.advance(1);
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().app_title, "我的加速");
  EXPECT_EQ(f1().caption(), "我的加速");
  EXPECT_EQ(f1().register_url, "http://x/reg.asp?a=b=c");
  EXPECT_EQ(f1().settings_url, "http://x/set.asp?k=1");
  EXPECT_EQ(f1().CppWebBrowser1.location(), "http://x/dl/");
  const std::string after = os.files.get(kSiteIni).value();
  EXPECT_NE(after, before);
  EXPECT_EQ(plain(kSiteIni), site);
}

TEST_F(SettingsFilesTest, UserIniIsRescrambledUnderFreshKeysAtStart) {
  const std::string content = "0\n\n0\n\n1\n0\n0\n2\n0\n0\n0\n0\n0\n";
  put_plain(kUserIni, content);
  auto keys = [this] {
    const std::string disk = os.files.get(kUserIni).value();
    return disk.substr(0, disk.find("\r\n", disk.find("\r\n") + 2));
  };
  const std::string before = keys();
  os.clock.advance(1);
  ASSERT_TRUE(start());
  EXPECT_NE(keys(), before);
  EXPECT_EQ(plain(kUserIni), content);
  // An earlier version's login is moved out of the file, which is rescrambled all the same.
  put_plain(kUserIni, "1\nuser_7\n0\n\n1\n0\n0\n2\n0\n0\n0\n0\n0\n");
  restart();
  EXPECT_EQ(plain(kUserIni), "0\n\n0\n\n1\n0\n0\n2\n0\n0\n0\n0\n0\n");
}

TEST_F(SettingsFilesTest, ShortSiteConfigKeepsBuiltInValuesForTheRest) {
  put_plain(kSiteIni, "a=Title\nb=http://y/dl/\n");
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().app_title, "Title");
  EXPECT_EQ(f1().login_page_url, "http://y/dl/");
  EXPECT_EQ(f1().register_url, Deployment::built_in().vendor_base_url + "/reg.asp");
  EXPECT_EQ(f1().settings_url, "");
}

TEST_F(SettingsFilesTest, GarbageSettingsFilesGiveDefaultsAndNoCrash) {
  os.files.put(kUserIni, std::string("\x01\x02\xff\xfe 77 -9 \x80\x80\x80\x80", 14));
  os.files.put(kSiteIni, std::string(5000, '\xa1'));
  ASSERT_TRUE(start());
  EXPECT_EQ(f1().app_title, project_title());
  EXPECT_EQ(f1().verify_server, 1);
  exit_client();
  EXPECT_EQ(plain(kUserIni), "0\n\n0\n\n0\n0\n0\n1\n0\n0\n0\n0\n0\n0\n");
}

TEST_F(SettingsFilesTest, ReadOnlyDirectoryLosesTheSaveButKeepsTheOldFile) {
  put_plain(kUserIni, "0\n\n0\n\n0\n0\n0\n1\n0\n0\n0\n0\n0\n");
  ASSERT_TRUE(start());
  os.files.make_read_only("C:\\Quovix\\");
  f1().no_exit_prompt = 1;
  exit_client();
  os.files.clear_read_only();
  EXPECT_EQ(plain(kUserIni), "0\n\n0\n\n0\n0\n0\n1\n0\n0\n0\n0\n0\n");
}

TEST_F(SettingsFilesTest, TextTheFormCannotCarryDoesNotCostTheOtherLines) {
  ASSERT_TRUE(start());
  f1().Edit1.paste("a~b");
  f1().no_exit_prompt = 1;
  exit_client();
  EXPECT_EQ(plain(kUserIni), "0\n\n0\n\n0\n0\n0\n1\n0\n0\n0\n0\n1\n0\n");
  EXPECT_EQ(os.hives[os.session.user]["Login"], "1\n\n0\n");
}

// A writer killed at any moment leaves either the old or the new complete scrambled file.
TEST_F(SettingsFilesTest, KilledWriterNeverLeavesAPartialFile) {
  const std::string first = "1\nfirst\n0\n\n0\n0\n0\n1\n0\n0\n0\n0\n0\n";
  const std::string second = "1\nsecond_account_name_longer\n1\npw\n1\n2\n1\n2\n3\n1\n1\n1\n1\n";
  put_plain(kUserIni, first);
  for (int round = 0; round < 30; ++round) {
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int i = 0;; ++i)
        os.files.replace(kUserIni, scramble_to_file_bytes(i % 2 ? first : second, os.clock));
    }
    usleep(200 + round * 97);
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string text = plain(kUserIni);
    ASSERT_TRUE(text == first || text == second) << "round " << round << ": " << text;
  }
}

}  // namespace
}  // namespace qvx::testing
