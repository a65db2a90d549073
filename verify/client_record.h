// Everything the client knows about the current run: credentials and options, the
// verification results, the node list, the service's notices and links, the network
// identification and the state of the accelerated connection. One instance lives in the
// login window for the life of the process.
#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "connect/dial_class.h"
#include "platform/ras.h"
#include "platform/version.h"
#include "routing/route.h"
#include "shell/run_log.h"
#include "version/quovix_version.h"

namespace qvx {

constexpr int kNodeSlots = 50;    // slot 0 is "自动选择", so at most 49 nodes
constexpr int kTickerSlots = 50;  // ticker entries 0..49
// The service's pages in page_urls, in the order the node list sends them.
enum PageSlot : std::size_t {
  kHomePage,          // 主页, opened with the account
  kRechargePage,      // 充值, opened with the account
  kServicePage,       // 客服
  kNavigationPage,    // 导航; only the node list has it, the settings reply leaves it alone
  kHelpPage,          // 帮助, opened with the account
  kMessageBoardPage,  // 留言
  kPageSlots
};

struct ClientRecord;
void set_user_ini_defaults(ClientRecord& record);  // shell/settings_content.cpp

struct ClientRecord {
  explicit ClientRecord(const platform::Platform& p) : route_tables(p), dialer(p.ras) {
    route_tables.log = [this](const std::string& line) { log_file.write(line, 0); };
    set_user_ini_defaults(*this);
  }

  std::string app_dir;
  RunLog log_file;
  int log_size = -1;
  // The user.ini members; their lines and defaults are in shell/user_ini_fields.h.
  int remember_account;
  std::string account;
  int remember_password;
  std::string user_password;
  std::string user_level = "0";
  int auto_connect;
  int spare_option;
  int remember_choices;
  int no_exit_prompt;
  int verify_server;
  int node_choice;
  int network_mode;
  int relay_mode;
  int minimize_on_connect;
  int auto_redial;
  std::string client_version = kServiceVersion;
  std::string min_version;
  std::string latest_version;
  std::string server_time;
  std::string expiry_time;
  std::string days_left;
  std::string points;
  std::string local_ip;
  std::string external_ip;
  std::string local_gateway;
  std::string server_gateway;
  std::string list_url;
  route route_tables;
  int node_count = 0;
  std::array<std::string, kNodeSlots> node_names;
  std::array<std::string, kNodeSlots> node_addresses;
  std::string notice_text;
  std::string notice_url;
  int notice_delay = 0;
  int notice_enabled = 1;
  int ticker_count = 0;
  int ticker_index = 0;
  std::array<std::string, kTickerSlots> ticker_texts;
  std::array<std::string, kTickerSlots> ticker_urls;
  std::string tips_url;
  int tips_delay = 0;
  int tips_enabled = 1;
  std::array<std::string, kPageSlots> page_urls;
  Dial_class dialer;
  platform::RasHandle ras_connection = 0;
  int entry_number = 0;
  int last_dial_error = 0;
  int best_node = 0;
  int server_gateway_if = 0;
  int local_gateway_if = 0;
  int conn_seconds = 0;
  int conn_minutes = 0;
  int conn_hours = 0;
  std::uint32_t bytes_received = 0;
  std::uint32_t bytes_sent = 0;
  platform::OsVersion os_version;
  std::string app_title;
  std::string login_page_url;
  std::string register_url;
  std::string find_password_url;
  std::string site_url;
  std::string help_url;
  std::string settings_url;
};

}  // namespace qvx
