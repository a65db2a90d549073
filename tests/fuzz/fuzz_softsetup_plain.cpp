// The plain content of softsetup.ini: seven key=value tokens by position.
#include <array>

#include "fuzz/fuzz_support.h"
#include "shell/password.h"
#include "shell/settings_content.h"
#include "verify/client_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  fuzz::Machine& os = fuzz::machine();
  const std::string plain = fuzz::bytes(data, size);
  ClientRecord record(os.platform());
  record.settings_url = "default";
  read_site_config_content(plain, record);

  const std::array<const std::string*, 7> members = {
      &record.app_title, &record.login_page_url, &record.register_url, &record.find_password_url,
      &record.site_url,  &record.help_url,       &record.settings_url};
  for (const std::string* member : members) {
    fuzz::check(member->find_first_of(" \t\n\v\f\r") == std::string::npos,
                "a value is part of one token");
  }

  // Text the scrambled form can carry comes back from the file as it went in.
  if (scrambler_can_carry(plain)) {
    const std::string disk = scramble_to_file_bytes(plain, os.clock());
    fuzz::check(unscramble_file_bytes(disk, os.clock()) == plain, "the file gives the text back");
  }
  return 0;
}
