// softsetup.ini, one row per token: the site configuration that comes with the program. The
// token's position decides the member; its value is everything after the first "=" and holds no
// white space. The built-in values stand where the file is missing or short.
#pragma once
#include <iterator>
#include <string>

#include "shell/deployment.h"
#include "verify/client_record.h"
#include "version/quovix_version.h"

namespace qvx {

struct SiteConfigField {
  int token;
  const char* name;
  std::string ClientRecord::*member;
  std::string (*built_in)(const Deployment&);
};

inline constexpr SiteConfigField kSiteConfigFields[] = {
    // Title of the login and status windows; a login's settings reply may replace it.
    {1, "app_title", &ClientRecord::app_title,
     [](const Deployment&) { return std::string("Quovix加速") + kDisplayVersion; }},
    // The login window's browser pane.
    {2, "login_page_url", &ClientRecord::login_page_url,
     [](const Deployment& d) { return d.vendor_base_url + "/dl/"; }},
    // The login window's four links.
    {3, "register_url", &ClientRecord::register_url,
     [](const Deployment& d) { return d.vendor_base_url + "/reg.asp"; }},
    {4, "find_password_url", &ClientRecord::find_password_url,
     [](const Deployment& d) { return d.vendor_host + "/find.asp"; }},
    {5, "site_url", &ClientRecord::site_url, [](const Deployment& d) { return d.vendor_base_url; }},
    {6, "help_url", &ClientRecord::help_url,
     [](const Deployment& d) { return d.vendor_base_url + "/xinshou.asp"; }},
    // The service-settings reply fetched at login; empty means none.
    {7, "settings_url", &ClientRecord::settings_url,
     [](const Deployment&) { return std::string(); }},
};

inline constexpr int kSiteConfigTokens = static_cast<int>(std::size(kSiteConfigFields));

constexpr bool site_config_rows_hold() {
  int token = 0;
  for (const SiteConfigField& f : kSiteConfigFields) {
    if (f.token != ++token) return false;
  }
  return true;
}
static_assert(site_config_rows_hold(), "one softsetup.ini row per token, in file order");

}  // namespace qvx
