// The plain content of softsetup.ini: key=value tokens by position.
#include "fuzz/fuzz_support.h"
#include "shell/password.h"
#include "shell/settings_content.h"
#include "shell/site_config_fields.h"
#include "verify/client_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  fuzz::Machine& os = fuzz::machine();
  const std::string plain = fuzz::bytes(data, size);
  ClientRecord record(os.platform());
  record.settings_url = "default";
  read_site_config_content(plain, record);

  for (const SiteConfigField& f : kSiteConfigFields) {
    if ((record.*f.member).find_first_of(" \t\n\v\f\r") != std::string::npos) {
      fuzz::fail(std::string(f.name) + " is more than part of one token");
    }
  }

  // Text the scrambled form can carry comes back from the file as it went in.
  if (scrambler_can_carry(plain)) {
    const std::string disk = scramble_to_file_bytes(plain, os.clock());
    fuzz::check(unscramble_file_bytes(disk, os.clock()) == plain, "the file gives the text back");
  }
  return 0;
}
