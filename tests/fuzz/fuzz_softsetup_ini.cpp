// softsetup.ini as it lies on disk: two key lines and the scrambled text. Reading it rewrites
// it under fresh keys, which must give the same plain content and so the same members.
#include "fuzz/fuzz_support.h"
#include "shell/password.h"
#include "shell/settings_content.h"
#include "shell/site_config_fields.h"
#include "verify/client_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  fuzz::Machine& os = fuzz::machine();
  ClientRecord record(os.platform());
  const std::string plain = unscramble_file_bytes(fuzz::bytes(data, size), os.clock());
  read_site_config_content(plain, record);

  // The next start, a few seconds later, draws other keys; the input decides how many.
  os.clock().set(1230768000 + static_cast<std::time_t>(size % 97));
  const std::string rewritten = scramble_to_file_bytes(plain, os.clock());
  fuzz::check(unscramble_file_bytes(rewritten, os.clock()) == plain,
              "the rewritten file holds the same plain content");

  ClientRecord again(os.platform());
  read_site_config_content(unscramble_file_bytes(rewritten, os.clock()), again);
  for (const SiteConfigField& f : kSiteConfigFields) {
    if (again.*f.member != record.*f.member) {
      fuzz::fail(std::string("the next start reads another ") + f.name);
    }
  }
  return 0;
}
