#include "shell/application.h"
#include "shell/unit1.h"
#include "status/md5.h"
#include "status/unit2.h"
#include "windows/unit5.h"

namespace qvx {

// An empty slot would hand the shell a bare "?username=..." or nothing at all; neither is a page.
void TForm2::open_page(const std::string& url) {
  if (!url.empty()) app.platform.shell.open(url);
}

void TForm2::open_with_credentials(PageSlot slot, const char* tail) {
  const TForm1& record = *app.Form1;
  const std::string& page = record.page_urls[slot];
  if (page.empty()) return;
  app.platform.shell.open(
      page + "?username=" + record.account +
      "&password=" + mask_digest(md5_hex(record.user_password), app.deployment.mask_table) + tail);
}

void TForm2::z1Click() {
  open_with_credentials(kHomePage, "&red=mai&u31=m");
}
void TForm2::N1Click() {
  app.Form5->show();
}
void TForm2::N2Click() {
  open_with_credentials(kRechargePage, "&red=rec&u31=m");
}
void TForm2::N3Click() {
  open_page(app.Form1->page_urls[kServicePage]);
}
void TForm2::N4Click() {
  open_page(app.Form1->page_urls[kNavigationPage]);
}
void TForm2::N5Click() {
  open_page(app.Form1->page_urls[kMessageBoardPage]);
}
void TForm2::N6Click() {
  open_with_credentials(kHelpPage, "&red=hlp&u31=m");
}
void TForm2::suiButton1Click() {
  app.platform.shell.open(app.Form1->app_dir + "nettest.exe");
}

}  // namespace qvx
