#include "logged_in_fixture.h"

namespace qvx::testing {
namespace {

// md5("secret") is 5EBE2294ECD0E0F08EAB7690D2A6EE69; the reversing table maps d to 15 - d.
constexpr char kMaskedSecret[] = "A141DD6B132F1F0F7154896F2D591196";
constexpr char kMaskedEmpty[] = "2BE2732670FF4DFB167FF6671307BD81";

class WebLinksTest : public LoggedInTest {
 protected:
  Deployment deployment() override {
    Deployment d = Deployment::built_in();
    d.mask_table = "FEDCBA9876543210";
    return d;
  }
  void SetUp() override {
    LoggedInTest::SetUp();
    for (std::size_t slot = 0; slot < kPageSlots; ++slot) {
      f1().page_urls[slot] = "http://127.0.0.1/p" + std::to_string(slot) + ".asp";
    }
  }
  std::string only_opened() {
    const auto opened = os.shell.opened();
    os.shell.clear();
    return opened.size() == 1 ? opened[0] : "<" + std::to_string(opened.size()) + " opened>";
  }
};

TEST_F(WebLinksTest, CredentialLinksCarryAccountAndMaskedDigest) {
  f2().z1.click();
  EXPECT_EQ(only_opened(), std::string("http://127.0.0.1/p0.asp?username=user1&password=") +
                               kMaskedSecret + "&red=mai&u31=m");
  f2().N2.click();
  EXPECT_EQ(only_opened(), std::string("http://127.0.0.1/p1.asp?username=user1&password=") +
                               kMaskedSecret + "&red=rec&u31=m");
  f2().N6.click();
  EXPECT_EQ(only_opened(), std::string("http://127.0.0.1/p4.asp?username=user1&password=") +
                               kMaskedSecret + "&red=hlp&u31=m");
  f2().z1.click();
  EXPECT_EQ(only_opened(), std::string("http://127.0.0.1/p0.asp?username=user1&password=") +
                               kMaskedSecret + "&red=mai&u31=m");
}

TEST_F(WebLinksTest, EmptyPasswordStillGivesA32DigitField) {
  f1().Edit2.set_text("");
  ASSERT_EQ(f1().user_password, "");
  f2().z1.click();
  const std::string link = only_opened();
  const auto start = link.find("&password=") + 10;
  EXPECT_EQ(link.substr(start, link.find("&red=") - start), kMaskedEmpty);
}

TEST_F(WebLinksTest, AccountForgottenByARefusedExitGoesOutEmpty) {
  f2().suiButton2.click();
  f1().N1.click();
  os.shell.clear();
  f2().N2.click();
  EXPECT_EQ(only_opened(), std::string("http://127.0.0.1/p1.asp?username=&password=") +
                               kMaskedSecret + "&red=rec&u31=m");
}

TEST_F(WebLinksTest, PlainLinksUseTheirOwnSlots) {
  f2().N3.click();
  EXPECT_EQ(only_opened(), "http://127.0.0.1/p2.asp");
  f2().N4.click();
  EXPECT_EQ(only_opened(), "http://127.0.0.1/p3.asp");
  f2().N5.click();
  EXPECT_EQ(only_opened(), "http://127.0.0.1/p5.asp");
}

TEST_F(WebLinksTest, EmptySlotsOpenNothing) {
  for (auto& page : f1().page_urls) page.clear();
  for (widgets::MenuItem* item : {&f2().z1, &f2().N2, &f2().N3, &f2().N4, &f2().N5, &f2().N6}) {
    item->click();
  }
  EXPECT_TRUE(os.shell.opened().empty());
  EXPECT_TRUE(boxes().empty());
}

TEST_F(WebLinksTest, SettingsItemAndSpeedTest) {
  f2().N1.click();
  EXPECT_TRUE(app->Form5->visible());
  EXPECT_TRUE(os.shell.opened().empty());
  os.files.put("C:\\Quovix\\nettest.exe", "MZ");
  f2().suiButton1.click();
  EXPECT_EQ(only_opened(), "C:\\Quovix\\nettest.exe");
}

TEST_F(WebLinksTest, SpeedTestGetsTheDownloadedNodesBesideIt) {
  os.files.put("C:\\Quovix\\nettest.exe", "MZ");
  os.files.put("C:\\Quovix\\nettest_nodes.txt", "an older list");
  f2().suiButton1.click();
  EXPECT_EQ(only_opened(), "C:\\Quovix\\nettest.exe");
  EXPECT_EQ(os.files.get("C:\\Quovix\\nettest_nodes.txt"),
            "quovix-nodes 1\r\n北京节点\t" + f1().node_addresses[1] + "\r\n上海节点\t" +
                f1().node_addresses[2] + "\r\n");
  EXPECT_TRUE(boxes().empty());
}

TEST_F(WebLinksTest, AnUnwritableNodeListIsLoggedAndTheSpeedTestStillOpens) {
  os.files.put("C:\\Quovix\\nettest.exe", "MZ");
  os.files.make_read_only("C:\\Quovix\\nettest_nodes.txt");
  f2().suiButton1.click();
  EXPECT_EQ(only_opened(), "C:\\Quovix\\nettest.exe");
  EXPECT_NE(log().find("无法写入节点列表：C:\\Quovix\\nettest_nodes.txt"), std::string::npos);
  EXPECT_TRUE(boxes().empty());
}

TEST_F(WebLinksTest, AMissingSpeedTestIsReportedInsteadOfOpened) {
  f2().suiButton1.click();
  EXPECT_TRUE(os.shell.opened().empty());
  EXPECT_EQ(boxes(),
            std::vector<std::string>{"找不到速度测试程序nettest.exe，请重新安装Quovix加速。"});
  EXPECT_FALSE(os.files.get("C:\\Quovix\\nettest_nodes.txt"));
}

}  // namespace
}  // namespace qvx::testing
