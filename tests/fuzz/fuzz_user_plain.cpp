// The plain content of user.ini, any bytes: a line per field, numbers and texts.
#include "fuzz/fuzz_support.h"
#include "fuzz/user_settings_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  ClientRecord record(fuzz::machine().platform());
  fuzz::read_user_settings(fuzz::bytes(data, size), record);
  fuzz::check_saved_settings_read_back(record);
  return 0;
}
