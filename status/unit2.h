// The status window: account data, network identification, the three choice boxes, the
// connect / hang-up button, connection time and traffic, the advertising pane, the ticker link
// and the menu of the service's pages.
#pragma once
#include <string>

#include "status/connection_display.h"
#include "status/redial.h"
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

  widgets::Label Label1, Label2, Label3, Label4, Label5, Label6, Label7, Label8;
  widgets::Label Label9, Label10, Label11, Label12, Label13;
  widgets::Label Label14, Label15, Label16, Label17, Label18, Label19;
  widgets::ComboBox suiComboBox1, suiComboBox2, suiComboBox3;
  widgets::Button suiButton1, suiButton2;
  widgets::Label Label20, Label21, Label22, Label26, Label27;
  widgets::StatusPane RzStatusPane1;
  widgets::Browser CppWebBrowser1;
  widgets::Label Label23;
  widgets::Timer Timer1, Timer2, Timer3, Timer4, Timer5;
  // The monitor's second look at a link that seemed down, six seconds after the first.
  widgets::Timer SecondLook;
  widgets::Menu suiMainMenu1;
  widgets::MenuItem z1, N1, N2, N3, N4, N5, N6;
  Redial redial;

 private:
  void wire_events();
  void open_page(const std::string& url);  // through the shell; an empty address opens nothing
  void open_with_credentials(int slot, const char* tail);

  ConnectionDisplay shown_;
  bool drop_message_open_ = false;
  bool exit_after_drop_ = false;
};

// The expiry test of the connect button: true when expiry_time lies after server_time.
// Texts that do not hold six numbers count as expired.
bool subscription_valid(const std::string& expiry_time, const std::string& server_time);

}  // namespace qvx
