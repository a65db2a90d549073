// What the status window shows of the connection: the connect / hang-up button, the three
// choice boxes, the tray's 连接 and 挂断, the status pane and the connection clock. One value
// of this type sets all of them, through TForm2::show_connection.
#pragma once
#include <string>

namespace qvx {

enum class LinkState {
  Idle,             // 连接 starts a dial
  Connecting,       // a dial runs
  Connected,        // the tunnel is up; 挂断 hangs up
  HangingUp,        // a hang-up runs
  RedialCountdown,  // the line dropped and a redial counts down; 挂断 calls it off
  RedialDue,        // the countdown is over; the account is checked before the try
  Redialing,        // a redial's dial runs
  DropReported,     // the line is gone and the drop message is open
};

struct ConnectionDisplay {
  LinkState state = LinkState::Idle;
  std::string pane;  // the status pane's line
  bool clock =
      false;  // Connected: the connection clock runs (it stays stopped after a failed hang-up)

  ConnectionDisplay with_pane(std::string text) const { return {state, std::move(text), clock}; }
};

// The controls' states that follow from a LinkState.
struct ConnectionLook {
  const char* button;  // the connect / hang-up button's caption
  bool button_enabled;
  bool choices_enabled;
  bool tray_connect, tray_hang_up;
  bool blinking;
};

ConnectionLook look_of(LinkState state);

}  // namespace qvx
