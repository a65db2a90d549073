// The three route range files, twelve integers a row, and the network lookup over them.
#include <fuzzer/FuzzedDataProvider.h>

#include "fuzz/fuzz_support.h"
#include "routing/route.h"

namespace {

constexpr const char* kFiles[] = {"C:\\Quovix\\route\\CHINANET.dat", "C:\\Quovix\\route\\CNC.dat",
                                  "C:\\Quovix\\route\\CERNET.dat"};

// The rows as a route file holds them: twelve decimal integers a line.
std::string file_of(const qvx::route& r, int table) {
  std::string text;
  for (int row = 0; row < r.row_counts[static_cast<std::size_t>(table)]; ++row) {
    for (std::int32_t field :
         r.tables[static_cast<std::size_t>(table)][static_cast<std::size_t>(row)]) {
      text += std::to_string(field) + " ";
    }
    text += "\r\n";
  }
  return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace qvx;
  fuzz::Machine& os = fuzz::machine();
  FuzzedDataProvider in(data, size);
  const std::string address = in.ConsumeRandomLengthString(24);
  os.files().clear();
  for (int t = 0; t < kRouteTables; ++t) {
    // A missing file and an empty one load alike; let the input choose either.
    if (in.ConsumeBool()) {
      os.files().replace(kFiles[t], t + 1 < kRouteTables ? in.ConsumeRandomLengthString()
                                                         : in.ConsumeRemainingBytesAsString());
    }
  }
  route loaded(os.platform());
  loaded.load("C:\\Quovix\\");
  for (int count : loaded.row_counts) {
    fuzz::check(count >= 0 && count <= kRouteRows, "row counts fit the tables");
  }
  const int network = loaded.identify_network(address);
  fuzz::check(network >= CHINANET && network <= NO_NETWORK && network == loaded.own_network,
              "the lookup gives a network index and keeps it");

  // Every row that loads writes back as the same twelve integers.
  for (int t = 0; t < kRouteTables; ++t) os.files().replace(kFiles[t], file_of(loaded, t));
  route reloaded(os.platform());
  reloaded.load("C:\\Quovix\\");
  fuzz::check(reloaded.row_counts == loaded.row_counts && reloaded.tables == loaded.tables,
              "written rows load back the same");
  fuzz::check(reloaded.identify_network(address) == network, "and identify alike");
  return 0;
}
