// Saving user.ini from any members the client may hold (a pasted account or password can be
// any bytes) and reading it at the next start.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_support.h"
#include "fuzz/user_settings_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  FuzzedDataProvider in(data, size);
  ClientRecord record(fuzz::machine().platform());
  for (const UserIniField& f : kUserIniFields) {
    if (f.number) record.*f.number = in.ConsumeIntegral<int>();
    if (f.text) record.*f.text = in.ConsumeRandomLengthString(64);
  }
  fuzz::check_saved_settings_read_back(record);
  return 0;
}
