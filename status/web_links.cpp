#include "nettest/node_list_file.h"
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
// The speed test measures the nodes this login downloaded: they are handed over in a file
// beside it, since the shell starts it without arguments.
void TForm2::suiButton1Click() {
  const std::string& dir = app.Form1->app_dir;
  const std::string program = dir + "nettest.exe";
  if (app.platform.files.size(program) < 0) {
    app.ui.message_box(this,
                       "找不到速度测试程序nettest.exe，请重新安装" + std::string(kAppTitle) + "。",
                       kAppTitle, widgets::kMbOk);
    return;
  }
  const std::string list = nettest::format_node_list(nettest::nodes_of(*app.Form1));
  if (!app.platform.files.replace(dir + nettest::kNodeListFileName, list)) {
    app.Form1->log_file.write("无法写入节点列表：" + dir + nettest::kNodeListFileName, 0);
  }
  app.platform.shell.open(program);
}

}  // namespace qvx
