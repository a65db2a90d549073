#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/sim/sim_platform.h"
#include "routing/route.h"

namespace qvx {
namespace {

// A machine whose three route files each hold 500 rows.
struct FullTables {
  FullTables() : root(std::filesystem::temp_directory_path() / "qvx-route-bench"), os(root) {
    for (const char* name : {"CHINANET", "CNC", "CERNET"}) {
      std::string text;
      for (int i = 0; i < 500; ++i) {
        text += std::to_string(1 + i % 200) + " " + std::to_string(i % 256) +
                " 0 0 1 255 255 255 255 255 0 0\r\n";
      }
      os.files.put(std::string("C:\\Quovix\\route\\") + name + ".dat", text);
    }
    // A LAN and a tunnel, each with its default route.
    for (std::uint32_t index : {2u, 23u}) {
      os.ip_helper.add_adapter({index, {}, {}}, 10);
      platform::ForwardRow route;
      route.if_index = index;
      route.proto = 3;
      route.metric1 = 25;
      os.ip_helper.add_route(route);
    }
  }
  ~FullTables() { std::filesystem::remove_all(root); }
  std::filesystem::path root;
  sim::SimPlatform os;
};

void BM_LoadThreeFullRouteFiles(benchmark::State& state) {
  FullTables machine;
  for (auto _ : state) {
    route tables(machine.os.platform());
    tables.load("C:\\Quovix\\");
    benchmark::DoNotOptimize(tables.row_counts);
  }
}
BENCHMARK(BM_LoadThreeFullRouteFiles)->Unit(benchmark::kMicrosecond);

void BM_ApplyPartialRelayWithTwoFullTables(benchmark::State& state) {
  FullTables machine;
  route tables(machine.os.platform());
  tables.load("C:\\Quovix\\");
  tables.own_network = CHINANET;
  for (auto _ : state) {
    machine.os.ip_helper.clear_rows();
    tables.apply_partial_relay("10.8.0.2", 23, 2);
  }
  if (machine.os.ip_helper.created().size() != 1000 ||
      machine.os.ip_helper.set_rows().size() != 1) {
    state.SkipWithError("expected 1000 route additions and one default-route change");
  }
  state.SetItemsProcessed(state.iterations() * 1000);
}
BENCHMARK(BM_ApplyPartialRelayWithTwoFullTables)->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace qvx
