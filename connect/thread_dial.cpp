#include "connect/thread_dial.h"

#include <cstdio>

#include "connect/auto_select.h"
#include "connect/cping.h"
#include "connect/l2tp_values.h"
#include "connect/thread_hangup.h"
#include "shell/application.h"
#include "shell/crt_random.h"
#include "shell/unit1.h"
#include "status/md5.h"
#include "status/unit2.h"

namespace qvx {
namespace {

constexpr int kPptpOnly = 1;
constexpr int kL2tpOnly = 3;
constexpr int kOptionalEncryption = 3;
constexpr unsigned kBalloonMs = 10000;
// ERROR_PORT_DISCONNECTED (Routing and Remote Access Error Codes, learn.microsoft.com): the
// connection was terminated by the remote computer.
constexpr int kPortDisconnected = 628;

std::string error_number_text(int number) {
  char text[128];
  std::snprintf(text, sizeof text, "错误编号：%d", number);
  return text;
}

}  // namespace

void Thread_dial::Execute() {
  TForm1& f1 = *app.Form1;
  TForm2& f2 = *app.Form2;
  // The node box is disabled while this thread runs; it is read on the GUI thread all the same.
  int chosen = -1;
  Synchronize([&] { chosen = f2.suiComboBox1.item_index(); });
  if (chosen == 0) {
    Synchronize([this] { show_line_check(); });
    _CPING pinger(app.icmp_library);
    choose_best_node(f1, pinger);
    Synchronize([this] { show_node_chosen(); });
  }
  f1.conn_seconds = 0;
  f1.conn_minutes = 0;
  f1.conn_hours = 0;

  int node = -1;
  Synchronize([&] { node = f2.suiComboBox1.item_index(); });
  if (node < 1 || node > f1.node_count || node >= kNodeSlots) {
    Synchronize([this] { show_bad_node(); });
    return;
  }

  crt::srand(static_cast<unsigned>(app.platform.clock.now()));
  f1.entry_number = crt::rand() % 100000;
  const std::string entry_name = std::string(kBrandPrefix) + std::to_string(f1.entry_number);
  const std::string ras_password = md5_hex(credentials_.password).substr(0, 25);
  f1.dialer.set_os_version(f1.os_version.major * 100 + f1.os_version.minor);

  try {
    const bool external = f1.network_mode == 0;
    f1.write_log(external ? "网络模式为：外网模式" : "网络模式为：内网模式");
    if (!external) Synchronize([this] { prepare_l2tp(); });
    f1.dialer.dial(f1.node_addresses[static_cast<std::size_t>(node)], credentials_.account,
                   ras_password, entry_name, f1.ras_connection, external ? kPptpOnly : kL2tpOnly,
                   kOptionalEncryption);
    Synchronize([this] { show_connected(); });
    if (f1.relay_mode == 0) {
      f1.write_log("连接方式为：部分中转。正在更改路由表。");
      f1.discover_gateways();
      f1.route_tables.apply_partial_relay(f1.server_gateway, f1.server_gateway_if,
                                          f1.local_gateway_if);
    }
    if (redial_try_) settle_redial_try();
  } catch (const error_message& e) {
    f1.last_dial_error = e.ras_error;
    if (redial_try_) {
      bool taken = false;
      Synchronize([&] { taken = f2.redial.try_failed(e.ras_error); });
      if (taken) return;
    }
    switch (e.ras_error) {
      case 691:
        Synchronize([this] { show_account_in_use(); });
        break;
      case 711:
        Synchronize([this] { show_error_711(); });
        break;
      case 633:
        Synchronize([this] { show_error_633(); });
        break;
      case 619:
      case 651:
      case 678:
      case 769:
        Synchronize([this] { show_network_failure(); });
        break;
      default:
        Synchronize([this] { show_dial_failure(); });
        break;
    }
  }
}

// An unexpected failure, perhaps with the tunnel already up, ends as a failed dial does: no
// connection of ours is left and the window is idle.
void Thread_dial::Abandon() {
  TForm1& f1 = *app.Form1;
  TForm2& f2 = *app.Form2;
  try {
    f1.dialer.clean_up();
  } catch (const error_message&) {
  }
  f1.ras_connection = 0;
  f2.stop_link_monitor();
  return_to_idle();
}

// A running hang-up waits for this thread and ends in the idle state itself; until then the
// button stays disabled, so no dial starts beside it. (A redial's try also shows 挂断 on a
// disabled button, so the window's look cannot tell.)
void Thread_dial::return_to_idle() {
  if (app.is_running(app.hangup_thread)) return;
  app.Form2->show_connection({LinkState::Idle, "连接状态： 未连接"});
}

// A try counts as a success only if its connection is still up when the dial is done: a line
// that takes each new connection down at once would otherwise start a fresh drop, with fresh
// tries, after every try, for ever. A connection gone by now is this try's failure.
void Thread_dial::settle_redial_try() {
  TForm1& f1 = *app.Form1;
  TForm2& f2 = *app.Form2;
  if (f1.dialer.connect_status(f1.ras_connection) != platform::kRasDisconnected) {
    Synchronize([&] {
      if (!app.is_running(app.hangup_thread)) f2.redial.try_succeeded();
    });
    return;
  }
  try {
    f1.dialer.clean_up();
  } catch (const error_message&) {
  }
  Synchronize([&] {
    // The connection is gone and cleaned up: a hang-up started meanwhile finds nothing to hang
    // up and ends in the idle state itself.
    f1.ras_connection = 0;
    if (app.is_running(app.hangup_thread)) return;
    f2.stop_link_monitor();
    f2.redial.try_failed(kPortDisconnected);
  });
}

void Thread_dial::show_line_check() {
  TForm2& f2 = *app.Form2;
  f2.show_connection(f2.connection().with_pane("连接状态： 检测线路中"));
  app.Form1->write_log("用户选择自动判断线路");
}

void Thread_dial::show_node_chosen() {
  TForm1& f1 = *app.Form1;
  TForm2& f2 = *app.Form2;
  f2.show_connection(f2.connection().with_pane("连接状态： 正在连接"));
  f2.suiComboBox1.set_item_index(f1.best_node);
  f1.node_choice = f1.best_node;
}

void Thread_dial::show_connected() {
  TForm1& f1 = *app.Form1;
  TForm2& f2 = *app.Form2;
  f2.show_connection({LinkState::Connected, "连接状态： 已连接", true});
  f2.Timer4.set_enabled(true);
  f1.write_log("建立加速连接成功！");
  std::string text = "您已经成功加速！\n您账号的剩余时间为:" + f2.Label8.caption();
  text += f1.days_left.size() == 1 ? "\n友情提示：为了避免帐号过期给您的使用造成不便,"
                                     "\n请您在闲暇时使用最方便的支付方式进行冲值。"
                                   : "\n祝您上网愉快，有任何疑问请联系客服。";
  // A redial's try reports once it knows its connection outlived the dial.
  if (!redial_try_) f1.RzTrayIcon1.show_balloon("亲爱的 " + f1.account + "：", text, kBalloonMs);
  if (f1.minimize_on_connect == 1) f2.hide();
}

void Thread_dial::show_account_in_use() {
  app.ui.message_box(app.Form2, "该账号正在被使用！", kAppTitle, widgets::kMbOk);
  return_to_idle();
  app.Form1->write_log("建立加速连接失败，该账号正在被使用");
}

// A running RasMan reads ProhibitIpSec only when it starts. The client does not restart it: that
// would drop every other dial-up and VPN connection of the PC. The user is told once, when the
// value is written; a RasMan that is not running yet starts with it and the dial goes through.
void Thread_dial::prepare_l2tp() {
  TForm1& f1 = *app.Form1;
  if (!write_l2tp_values(app.platform.registry, app.platform.files, f1.app_dir)) return;
  f1.write_log("已为内网模式写入远程访问连接管理器的设置");
  app.ui.message_box(app.Form2,
                     "内网模式需要的Windows设置已写入，Windows的远程访问连接管理器服务（RasMan）"
                     "重新启动后才生效。如果这次连接失败，请重新启动计算机后再连接。",
                     kAppTitle, widgets::kMbOk);
}

void Thread_dial::show_error_711() {
  app.ui.message_box(
      app.Form2,
      "建立加速连接初始化错误，如果您是第一次选择内网模式，请尝试重新启动网络连接或重新启动机器。",
      kAppTitle, widgets::kMbOk);
  return_to_idle();
  app.Form1->write_log("网络连接711错误");
}

void Thread_dial::show_error_633() {
  app.ui.message_box(app.Form2,
                     "加速连接初始化失败，请重新连接。若问题依然存在，请尝试重新启动机器。",
                     kAppTitle, widgets::kMbOk);
  return_to_idle();
  app.Form1->write_log("网络连接633错误");
}

void Thread_dial::show_network_failure() {
  TForm1& f1 = *app.Form1;
  app.ui.message_box(
      app.Form2,
      "网络原因，无法与加速服务器连接,请尝试重新连接。若问题依然存在，请尝试更换加速节点"
      "或者网络模式。",
      kAppTitle, widgets::kMbOk);
  return_to_idle();
  f1.write_log("网络原因，无法与加速服务器连接.");
  f1.write_log("建立加速连接失败." + error_number_text(f1.last_dial_error) + "，请尝试重新连接.");
}

void Thread_dial::show_dial_failure() {
  TForm1& f1 = *app.Form1;
  const std::string text = error_number_text(f1.last_dial_error) + "，请尝试重新连接，或者联系我们";
  f1.write_log("建立加速连接失败." + text);
  app.ui.message_box(app.Form2, text, kAppTitle, widgets::kMbOk);
  return_to_idle();
}

// A node outside the list has no address to dial: refuse rather than dial garbage.
void Thread_dial::show_bad_node() {
  app.ui.message_box(app.Form2, "所选加速节点无效，请重新选择。", kAppTitle, widgets::kMbOk);
  return_to_idle();
}

}  // namespace qvx
