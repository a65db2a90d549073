#include "status/connection_display.h"

#include "shell/application.h"
#include "shell/unit1.h"
#include "status/unit2.h"

namespace qvx {

ConnectionLook look_of(LinkState state) {
  switch (state) {
    case LinkState::Idle:
      return {"连接", true, true, true, false, false};
    case LinkState::Connecting:
      return {"连接", false, false, false, false, true};
    case LinkState::Connected:
    case LinkState::RedialCountdown:
      return {"挂断", true, false, false, true, false};
    case LinkState::HangingUp:
    case LinkState::Redialing:
      return {"挂断", false, false, false, false, true};
    case LinkState::RedialDue:
      // The tray's 挂断 could only start the try's own account check over again.
      return {"挂断", true, false, false, false, false};
    case LinkState::DropReported:
      return {"挂断", false, false, false, false, false};
  }
  return {"连接", true, true, true, false, false};
}

void TForm2::show_connection(const ConnectionDisplay& shown) {
  const ConnectionLook look = look_of(shown.state);
  TForm1& f1 = *app.Form1;
  suiButton2.set_caption(look.button);
  suiButton2.set_enabled(look.button_enabled);
  for (widgets::ComboBox* box : {&suiComboBox1, &suiComboBox2, &suiComboBox3}) {
    box->set_enabled(look.choices_enabled);
  }
  f1.N5.set_enabled(look.tray_connect);
  f1.N4.set_enabled(look.tray_hang_up);
  Timer3.set_enabled(shown.state == LinkState::Connected && shown.clock);
  RzStatusPane1.set_blinking(look.blinking);
  RzStatusPane1.set_caption(shown.pane);
  shown_ = shown;
}

}  // namespace qvx
