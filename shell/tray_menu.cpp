// QVX-UNBUILT: comes with the tray and exit work.
#include "shell/application.h"
#include "shell/unit1.h"

namespace qvx {
void TForm1::RzTrayIcon1LButtonDown() {}
void TForm1::N1Click() {}
void TForm1::N2Click() {}
void TForm1::N3Click() {}
void TForm1::N4Click() {}
void TForm1::N5Click() {}
void TForm1::N6Click() {}
bool TForm1::busy() const { return false; }
void TForm1::exit_step() {}
void TForm1::FormClose() {
  write_log("成功退出");
  log_file.close();
  app.ui.quit();
}
}  // namespace qvx
