// The status window: account data, network identification, the three choice boxes, the
// connect / hang-up button, connection time and traffic, the advertising pane, the ticker link
// and the menu of the service's pages.
#pragma once
#include <string>

#include "status/connection_display.h"
#include "status/redial.h"
#include "verify/client_record.h"
#include "widgets/controls.h"
#include "widgets/form.h"
#include "widgets/menu.h"
#include "widgets/timer.h"

namespace qvx {

class Application;

class TForm2 : public widgets::Form {
 public:
  explicit TForm2(Application& app);

  // Status window (status/unit2.cpp).
  void suiButton2Click();
  void suiComboBox1Change();
  void suiComboBox2Change();
  void suiComboBox3Change();
  void title_button(widgets::TitleButton button);  // close = exit request, minimise = hide
  void exit_request();
  void FormShow();
  void Label23MouseMove();
  void Label23MouseLeave();
  void Label23Click();
  bool account_valid();  // the expiry check, with its log line and message when expired
  // The connecting state and a new dial thread; a redial's try reports to redial.
  void start_dial(bool redial_try);

  // Timers (status/status_timers.cpp).
  void Timer1Timer();
  void Timer2Timer();
  void Timer3Timer();
  void Timer4Timer();
  void Timer5Timer();
  void SecondLookTimer();
  // Stops the link monitor, its pending second look included.
  void stop_link_monitor();
  // Reads the link's counters into the traffic labels.
  void show_traffic();

  // Web links (status/web_links.cpp).
  void z1Click();
  void N1Click();
  void N2Click();
  void N3Click();
  void N4Click();
  void N5Click();
  void N6Click();
  void suiButton1Click();

  // The one way the connection's state reaches the window (status/connection_display.cpp).
  void show_connection(const ConnectionDisplay& shown);
  const ConnectionDisplay& connection() const { return shown_; }
  // True while the drop message is open: the exit asked for then follows its answer.
  bool defer_exit();
  // Shows the drop message; true when an exit was asked for while it was open.
  bool show_drop_message();

  Application& app;

  // Account and network block: a caption label, then the value beside it.
  widgets::Label Label1;  // "您的账号："
  widgets::Label Label2;  // the account, once the password is accepted
  widgets::Label Label3;  // "用户级别："
  widgets::Label Label4;  // the level: 试用用户, 正式用户, 业务员, 代理商 or 管理员
  widgets::Label Label5;   // "Quovix积分："
  widgets::Label Label6;   // the points, "N分"
  widgets::Label Label7;   // "剩余天数："
  widgets::Label Label8;   // the days left, "N天"
  widgets::Label Label9;   // "本地 IP ："
  widgets::Label Label10;  // the machine's local address
  widgets::Label Label11;  // "（内网）" or "（外网）": whether that address is private
  widgets::Label Label12;  // "网络类型："
  widgets::Label Label13;  // the external address's network: 中国电信, 中国网通, 教育网, 未知网络
  widgets::Label Label14;          // "加速节点："
  widgets::Label Label15;          // the node suiComboBox1 shows
  widgets::Label Label16;          // "网络模式："
  widgets::Label Label17;          // the mode suiComboBox2 shows
  widgets::Label Label18;          // "加速模式："
  widgets::Label Label19;          // the relay mode suiComboBox3 shows
  widgets::ComboBox suiComboBox1;  // the node: "自动选择" (the fastest by ping) or a listed one
  widgets::ComboBox suiComboBox2;  // "外网模式" dials PPTP, "内网模式" L2TP
  widgets::ComboBox suiComboBox3;  // "部分中转" routes only the other networks, "完全中转" all
  widgets::Button suiButton1;      // "速度测试": runs nettest.exe from the program folder
  widgets::Button suiButton2;  // "连接" dials; "挂断" hangs up or calls a pending redial off
  widgets::Label Label20;      // "加速流量："
  widgets::Label Label21;      // "上传"
  widgets::Label Label22;      // "下载"
  widgets::Label Label26;      // data sent, "N K" / "N M" / "N G"
  widgets::Label Label27;      // data received, likewise
  widgets::StatusPane RzStatusPane1;  // "连接状态： ..."; while connected "连接时间： h:m:s"
  widgets::Browser CppWebBrowser1;  // the advertising pane (/ad/)
  widgets::Label Label23;           // the ticker: the service's news; a click opens its page
  widgets::Timer Timer1;  // 1 s: counts the notice delay down, then shows the notice (Form3)
  widgets::Timer Timer2;  // 1 s: counts the tips delay down, then shows the tips (Form4)
  widgets::Timer Timer3;  // 1 s while connected: the connection time in the pane
  widgets::Timer Timer4;  // 5 s while connected: the link monitor; refreshes the traffic
  widgets::Timer Timer5;  // 25 s: the ticker's next entry
  // The monitor's second look at a link that seemed down, six seconds after the first.
  widgets::Timer SecondLook;
  widgets::Menu suiMainMenu1;  // the menu bar: the service's pages
  widgets::MenuItem z1;        // "主页": the account's home page, signed in
  widgets::MenuItem N1;        // "设置": the settings window (Form5)
  widgets::MenuItem N2;        // "充值": the recharge page, signed in
  widgets::MenuItem N3;        // "客服": the customer-service page
  widgets::MenuItem N4;        // "导航": the navigation page
  widgets::MenuItem N5;        // "留言": the message board
  widgets::MenuItem N6;        // "帮助": the help page, signed in
  Redial redial;

 private:
  void wire_events();
  void open_page(const std::string& url);  // through the shell; an empty address opens nothing
  void open_with_credentials(PageSlot slot, const char* tail);

  ConnectionDisplay shown_;
  bool drop_message_open_ = false;
  bool exit_after_drop_ = false;
};

// The expiry test of the connect button: true when expiry_time lies after server_time.
// Texts that do not hold six numbers count as expired.
bool subscription_valid(const std::string& expiry_time, const std::string& server_time);

}  // namespace qvx
