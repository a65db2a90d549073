#include "app_fixture.h"
#include "shell/user_ini_fields.h"

namespace qvx::testing {
namespace {

constexpr char kRunKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\run";

// Before Vista the autostart option is the Run value (autostart_test.cpp has the logon task).
class SettingsWindowTest : public AppTest {
 protected:
  void SetUp() override {
    os.version.major = 5;
    os.registry.create_key(kRunKey);
    ASSERT_TRUE(start());
  }
  TForm5& f5() { return *app->Form5; }
  // The autostart box, then the boxes of the user.ini fields in the window's order.
  std::vector<widgets::CheckBox*> settings_boxes() {
    std::vector<widgets::CheckBox*> all{&f5().suiCheckBox1};
    for (int ClientRecord::*field :
         {&ClientRecord::auto_connect, &ClientRecord::minimize_on_connect,
          &ClientRecord::remember_choices, &ClientRecord::no_exit_prompt,
          &ClientRecord::auto_redial}) {
      all.push_back(&f5().option_box(field));
    }
    return all;
  }
  std::vector<bool> ticks() {
    std::vector<bool> ticked;
    for (widgets::CheckBox* box : settings_boxes()) ticked.push_back(box->checked());
    return ticked;
  }
};

// A box per field the table shows, each 30 px below the one before, under the autostart box;
// the window grows to hold them and keeps the buttons below.
TEST_F(SettingsWindowTest, TheBoxesStackInTheGroupAboveTheButtons) {
  const auto& boxes = f5().suiGroupBox1.children();
  ASSERT_EQ(boxes.size(), static_cast<std::size_t>(1 + settings_box_count()));
  const widgets::Rect group = f5().suiGroupBox1.bounds();
  for (std::size_t i = 0; i < boxes.size(); ++i) {
    const widgets::Rect r = boxes[i]->bounds();
    EXPECT_EQ(boxes[i]->name(), "suiCheckBox" + std::to_string(i + 1));
    EXPECT_FALSE(boxes[i]->caption().empty()) << boxes[i]->name();
    EXPECT_EQ(r.left, 20);
    EXPECT_EQ(r.top, 24 + 30 * static_cast<int>(i));
    EXPECT_LE(r.top + r.height, group.height - 10) << boxes[i]->name();
  }
  for (const widgets::Button* button : {&f5().suiButton1, &f5().suiButton2}) {
    const widgets::Rect r = button->bounds();
    EXPECT_GT(r.top, group.top + group.height) << button->name();
    EXPECT_LE(r.top + r.height, f5().bounds().height) << button->name();
  }
}

TEST_F(SettingsWindowTest, ShowingLoadsTheStoredStatesWithTheExitBoxInverted) {
  f1().auto_connect = 1;
  f1().remember_choices = 1;
  f1().no_exit_prompt = 1;
  f1().auto_redial = 1;
  os.registry.set_value(kRunKey, "quovixnet", std::string("C:\\x.exe"));
  f1().N3.click();
  EXPECT_TRUE(f5().visible());
  EXPECT_EQ(ticks(), (std::vector<bool>{true, true, false, true, false, true}));
}

TEST_F(SettingsWindowTest, CancelStoresNothingAndTheNextOpeningShowsStoredStates) {
  f5().show();
  EXPECT_EQ(ticks(), (std::vector<bool>{false, false, false, false, true, false}));
  for (widgets::CheckBox* box : settings_boxes()) box->toggle();
  f5().suiButton2.click();
  EXPECT_FALSE(f5().visible());
  EXPECT_EQ(f1().auto_connect, 0);
  EXPECT_EQ(f1().no_exit_prompt, 0);
  EXPECT_EQ(f1().auto_redial, 0);
  EXPECT_FALSE(os.registry.has_value(kRunKey, "quovixnet"));
  f5().show();
  EXPECT_EQ(ticks(), (std::vector<bool>{false, false, false, false, true, false}));
}

TEST_F(SettingsWindowTest, OkStoresTheMembersAndTheProgramPathAsAutostart) {
  f5().show();
  f5().suiCheckBox1.toggle();
  f5().option_box(&ClientRecord::minimize_on_connect).toggle();
  f5().option_box(&ClientRecord::no_exit_prompt).toggle();
  f5().option_box(&ClientRecord::auto_redial).toggle();
  f5().suiButton1.click();
  EXPECT_FALSE(f5().visible());
  EXPECT_EQ(f1().auto_redial, 1);
  EXPECT_EQ(f1().minimize_on_connect, 1);
  EXPECT_EQ(f1().auto_connect, 0);
  EXPECT_EQ(f1().no_exit_prompt, 1);
  const auto* value = os.registry.value(kRunKey, "quovixnet");
  ASSERT_NE(value, nullptr);
  EXPECT_EQ(std::get<std::string>(*value), "C:\\Quovix\\quovix.exe");

  f5().show();
  f5().suiButton1.click();  // the same value written again
  EXPECT_EQ(std::get<std::string>(*os.registry.value(kRunKey, "quovixnet")),
            "C:\\Quovix\\quovix.exe");
  f5().show();
  f5().suiCheckBox1.toggle();
  f5().suiButton1.click();
  EXPECT_FALSE(os.registry.has_value(kRunKey, "quovixnet"));
}

TEST_F(SettingsWindowTest, UnopenableRunKeyWritesNothingAndKeepsTheBoxState) {
  os.registry.lock_key(kRunKey);
  const int writes = os.registry.write_count();
  f5().show();
  f5().suiCheckBox1.toggle();
  f5().option_box(&ClientRecord::auto_connect).toggle();
  f5().suiButton1.click();
  EXPECT_EQ(os.registry.write_count(), writes);
  EXPECT_EQ(f1().auto_connect, 1) << "members are stored whatever the registry did";
  f5().show();
  EXPECT_TRUE(f5().suiCheckBox1.checked());
}

class NoticeWindowsTest : public AppTest {
 protected:
  void SetUp() override { ASSERT_TRUE(start()); }
  TForm3& f3() { return *app->Form3; }
  TForm4& f4() { return *app->Form4; }
};

TEST_F(NoticeWindowsTest, AnnouncementLinkLooksLikeALinkAndOpensTheNoticePage) {
  f3().Label1.mouse_move();
  EXPECT_EQ(f3().Label1.font_color(), widgets::colors::kBlue);
  EXPECT_TRUE(f3().Label1.font_underline());
  f3().Label1.mouse_leave();
  EXPECT_EQ(f3().Label1.font_color(), widgets::colors::kBlack);
  EXPECT_FALSE(f3().Label1.font_underline());
  f1().notice_url = "http://127.0.0.1/notice";
  f3().Label1.click();
  f3().show();
  f3().title_button(widgets::TitleButton::Close);
  EXPECT_FALSE(f3().visible());
  f1().notice_url.clear();
  f3().Label1.click();
  EXPECT_EQ(os.shell.opened(), std::vector<std::string>{"http://127.0.0.1/notice"});
}

TEST_F(NoticeWindowsTest, TipsWindowIsBlankedWhenHiddenAndReloadedFromTheTray) {
  f1().tips_url = "http://127.0.0.1/tips";
  f1().N6.set_enabled(true);
  f1().N6.click();
  EXPECT_TRUE(f4().visible());
  EXPECT_EQ(f4().CppWebBrowser1.location(), "http://127.0.0.1/tips");
  f4().title_button(widgets::TitleButton::Close);
  EXPECT_FALSE(f4().visible());
  EXPECT_EQ(f4().CppWebBrowser1.location(), "about:blank");
  EXPECT_EQ(f4().CppWebBrowser1.stop_count(), 1);
  f1().N6.click();
  EXPECT_EQ(f4().CppWebBrowser1.location(), "http://127.0.0.1/tips");
  const auto& history = f4().CppWebBrowser1.history();
  EXPECT_EQ(std::count(history.begin(), history.end(), "http://127.0.0.1/tips"), 2);
}

}  // namespace
}  // namespace qvx::testing
