// The client's only contact with Remote Access: writes the VPN phone-book entry, dials it,
// hangs up, reports state and byte counters, and removes every connection and entry that
// carries the brand prefix. Failures are thrown as error_message.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "platform/ras.h"

namespace qvx {

struct error_message {
  int step = 0;       // 1 write entry, 2 dial, 3 no handle, 4 hang-up, 7 deletion refused,
                      // 8 statistics, 9 entry listing
  int ras_error = 0;  // the failing function's result; 0 where none was called
};

extern const char kBrandPrefix[];  // "Quovix加速"
bool has_brand_prefix(const std::string& name);

class Dial_class {
 public:
  explicit Dial_class(platform::Ras& ras);

  void set_os_version(std::uint32_t version);
  int dial(const std::string& address, const std::string& user, const std::string& password,
           const std::string& entry_name, platform::RasHandle& out_handle, int vpn_strategy,
           int encryption_type);
  int hang_up(platform::RasHandle& handle_ref);
  std::uint32_t connect_status(platform::RasHandle handle);
  int statistics(platform::RasHandle handle, std::uint32_t& received, std::uint32_t& sent);
  int clean_up();

  platform::RasHandle connection = 0;
  char dial_password[100] = {};
  char server_address[100] = {};
  char dial_user[100] = {};
  std::uint32_t os_version_number = 0;

 private:
  void hang_up_brand_connections();
  std::vector<std::string> list_entries();
  void delete_brand_entries(const std::vector<std::string>& names);
  void delete_entry(const std::string& name);

  platform::Ras& ras_;
};

}  // namespace qvx
