// The login window's handling of the verification thread's progress messages.
#include "routing/lan_choice.h"
#include "routing/route.h"
#include "shell/application.h"
#include "shell/unit1.h"
#include "status/unit2.h"
#include "verify/network_identification.h"
#include "verify/thread_login.h"
#include "windows/unit3.h"

namespace qvx {
namespace {

struct Progress {
  LoginProgress progress;
  const char* pane;
  const char* log;
  const char* failure;  // the message of a code that ends the login, else null
};

constexpr Progress kProgress[] = {
    {progress::kConnecting, "正在连接服务器", "正在连接验证服务器", nullptr},
    {progress::kChoosingServer, "正在选择验证服务器",
     "利用上次记录的验证服务器连接失败，尝试重新选择验证服务器", nullptr},
    {progress::kServerFailed, "连接服务器失败", "下载验证文件失败", "连接服务器失败"},
    {progress::kServerAnswered, "连接服务器成功", "下载验证文件成功", nullptr},
    {progress::kAccountAccepted, "用户名密码正确", "用户名密码正确", nullptr},
    {progress::kAccountRefused, "用户名密码错误", "用户名密码错误", "用户名和密码错误"},
    {progress::kNodeListLoading, "正在更新服务器列表", "正在更新服务器列表", nullptr},
    {progress::kNodeListFailed, "更新服务器列表失败", "更新服务器列表失败", "更新服务器列表失败"},
    {progress::kNodeListLoaded, "更新服务器列表成功", "更新服务器列表成功", nullptr},
    {progress::kSettingsLoading, "正在更新软件设置", "正在更新软件设置", nullptr},
};

void end_login(TForm1& f) {
  f.app.login_thread = nullptr;
  f.suiButton1.set_enabled(true);
}

void run_updater(TForm1& f) {
  f.app.platform.shell.open(f.app_dir + "update.exe");
  f.close();  // the main window: this ends the program
}

void version_too_old(TForm1& f) {
  f.RzStatusPane1.set_caption("版本过低");
  f.write_log("当前版本过低，版本号为：" + f.client_version);
  end_login(f);
  f.app.ui.message_box(&f, "版本过低,点击确定执行自动更新程序", kAppTitle, widgets::kMbOk);
  run_updater(f);
}

// The thread may already have finished when this runs; a finished worker is never touched,
// and one that is held is always let go again (resumed or cancelled) so nothing waits on it.
void offer_update(TForm1& f) {
  Application& app = f.app;
  // Held by its serial number: the box's own message loop may reap the thread meanwhile, and
  // a new worker may then live at its address.
  const WorkerId login = app.login_thread ? app.login_thread->id() : 0;
  if (Thread_Login* thread = app.running<Thread_Login>(login)) thread->Suspend();
  const int answer = app.ui.message_box(
      &f, "检测到有最新版本，当前版本仍可使用。\n您需要使用自动更新升级到最新版本吗?", "升级提示 ",
      widgets::kMbYesNo | widgets::kMbIconQuestion);
  Thread_Login* thread = app.running<Thread_Login>(login);
  if (answer == widgets::kIdYes) {
    app.login_thread = nullptr;
    if (thread) thread->Cancel();
    run_updater(f);
  } else if (thread) {
    thread->Resume();
  }
}

const char* level_text(const std::string& level) {
  if (level == "0") return "试用用户";
  if (level == "1") return "正式用户";
  if (level == "2") return "业务员";
  if (level == "3") return "代理商";
  if (level == "83") return "管理员";
  return nullptr;
}

// A saved index outside the box's items falls back to the first item.
void restore_choice(widgets::ComboBox& box, int& member, widgets::Label& label) {
  box.set_item_index(member);
  if (box.item_index() < 0) box.set_item_index(0);
  label.set_caption(box.text());
  member = box.item_index();
}

void complete_login(TForm1& f) {
  Application& app = f.app;
  TForm2& f2 = *app.Form2;
  app.login_thread = nullptr;

  if (const char* level = level_text(f.user_level)) f2.Label4.set_caption(level);
  f2.Label8.set_caption(f.days_left + "天");
  f2.Label6.set_caption(f.points + "分");

  f2.Label13.set_caption(network_name(f.route_tables.identify_network(f.external_ip)));
  f.write_log("本机的网络类型为:" + f2.Label13.caption());

  // The LAN's own address; the host name's only when the routing table cannot tell the LAN.
  const std::optional<Lan> lan = find_lan(app.platform.ip_helper);
  f.local_ip =
      lan && !lan->address.empty() ? lan->address : local_address_or_default(app.platform.sockets);
  f2.Label10.set_caption(f.local_ip);
  f.write_log("本机的内网IP为：" + f.local_ip);
  f2.Label11.set_caption(locality_label(f.local_ip));

  f2.suiComboBox1.add_item("自动选择");
  f.node_names[0] = "自动选择";
  for (int n = 1; n <= f.node_count; ++n) f2.suiComboBox1.add_item(f.node_names[n]);
  f2.suiComboBox1.set_item_index(0);
  f2.Label15.set_caption("自动选择");

  if (!f.app_title.empty()) f2.set_caption(f.app_title);

  f2.suiComboBox2.add_item("外网模式");
  f2.suiComboBox2.add_item("内网模式");
  f2.suiComboBox2.set_item_index(0);
  f2.suiComboBox3.add_item("部分中转");
  f2.suiComboBox3.add_item("完全中转");
  f2.suiComboBox3.set_item_index(0);

  if (f.remember_choices == 1) {
    restore_choice(f2.suiComboBox1, f.node_choice, f2.Label15);
    restore_choice(f2.suiComboBox2, f.network_mode, f2.Label17);
    restore_choice(f2.suiComboBox3, f.relay_mode, f2.Label19);
  } else {
    // A dial uses the record: it must hold what the boxes show, not what user.ini had.
    f.node_choice = f2.suiComboBox1.item_index();
    f.network_mode = f2.suiComboBox2.item_index();
    f.relay_mode = f2.suiComboBox3.item_index();
  }

  f.ticker_index = 0;
  f2.Label23.set_caption(f.ticker_texts[0]);
  f2.Timer5.set_enabled(true);

  TForm3& f3 = *app.Form3;
  const widgets::Size screen = app.ui.screen_size();
  f3.set_position(screen.width - f3.bounds().width - 1, screen.height - f3.bounds().height - 25);
  f3.set_topmost(true);

  f.hide();
  f2.show();

  f2.CppWebBrowser1.navigate(app.deployment.vendor_base_url + "/ad/");
  f.CppWebBrowser1.stop();

  if (f.notice_enabled == 1) f2.Timer1.set_enabled(true);
  if (f.tips_enabled == 1) f2.Timer2.set_enabled(true);

  f2.show_connection({LinkState::Idle, "连接状态： 未连接"});

  if (f.auto_connect == 1) f2.suiButton2.click();
}

}  // namespace

void TForm1::on_login_progress(LoginProgress progress) {
  // A message still queued when an update closed the window finds nothing left to do.
  if (is_closed()) return;
  if (progress == progress::kVersionTooOld) return version_too_old(*this);
  if (progress == progress::kUpdateOffered) return offer_update(*this);
  if (progress == progress::kLoggedIn) return complete_login(*this);
  for (const Progress& p : kProgress) {
    if (p.progress != progress) continue;
    RzStatusPane1.set_caption(p.pane);
    write_log(p.log);
    if (progress == progress::kAccountAccepted) app.Form2->Label2.set_caption(account);
    if (p.failure) {
      end_login(*this);
      app.ui.message_box(this, p.failure, kAppTitle, widgets::kMbOk);
    }
    return;
  }
}

}  // namespace qvx
