// Saving user.ini from any members the client may hold (a pasted account or password can be
// any bytes) and reading it at the next start.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_support.h"
#include "fuzz/user_settings_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  FuzzedDataProvider in(data, size);
  ClientRecord record(fuzz::machine().platform());
  record.remember_account = in.ConsumeIntegral<int>();
  record.account = in.ConsumeRandomLengthString(64);
  record.remember_password = in.ConsumeIntegral<int>();
  record.user_password = in.ConsumeRandomLengthString(64);
  for (int* option : {&record.auto_connect, &record.spare_option, &record.remember_choices,
                      &record.verify_server, &record.node_choice, &record.network_mode,
                      &record.relay_mode, &record.minimize_on_connect, &record.no_exit_prompt}) {
    *option = in.ConsumeIntegral<int>();
  }
  fuzz::check_saved_settings_read_back(record);
  return 0;
}
