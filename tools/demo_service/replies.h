// The bodies the demo service answers with, GBK text as the client reads it.
#pragma once
#include <ctime>
#include <string>

#include "accounts.h"
#include "scenario.h"

namespace qvx::demo {

// "host:port" the client reached us at, used in every URL we hand out.
struct Site {
  std::string authority;
  std::string url(const std::string& path) const { return "http://" + authority + path; }
};

// Local time in the server form, numbers without leading zeros: 2008-5-1 10:0:0.
std::string server_time(const std::tm& local);

// The verification reply line for a request "u=ACCOUNT:PASSWORD" (the raw value of u).
std::string verification_reply(const std::string& user_field, const AccountBook& accounts,
                               const Scenario& scenario, const Site& site, const std::tm& now);

std::string node_list_reply(const Scenario& scenario, const Site& site);
std::string settings_reply(const Scenario& scenario, const Site& site);
std::string login_notice_reply();

// A small HTML page for a vendor URL, or empty when the path is not one of ours.
std::string vendor_page(const std::string& path, const std::string& username, const Site& site);

}  // namespace qvx::demo
