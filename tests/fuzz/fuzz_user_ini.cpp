// user.ini as it lies on disk: unscrambled, read line by line into its members, then
// saved and read again as the next start would.
#include "fuzz/fuzz_support.h"
#include "fuzz/user_settings_check.h"
#include "shell/password.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  fuzz::Machine& os = fuzz::machine();
  ClientRecord record(os.platform());
  fuzz::read_user_settings(unscramble_file_bytes(fuzz::bytes(data, size), os.clock()), record);
  fuzz::check_saved_settings_read_back(record);
  return 0;
}
