// The node and server choices in real time, against a simulated ICMP library that takes as long
// as a network would. The floor is the slowest probe sequence that cannot be avoided: two 1 s
// timeouts for the nodes, one 2.5 s timeout for the servers; "ratio" is the time over it.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>

#include "connect/auto_select.h"
#include "platform/sim/sim_platform.h"
#include "verify/overlapped_server_choice.h"
#include "widgets/headless/headless_ui.h"

namespace qvx {
namespace {

struct RealTimeNetwork {
  RealTimeNetwork()
      : os(std::filesystem::temp_directory_path() / "qvx-bench"),
        library(os.platform(), ui),
        pinger(library),
        record(os.platform()) {
    os.icmp.take_real_time();
  }
  widgets::HeadlessUi ui;
  sim::SimPlatform os;
  IcmpLibrary library;
  _CPING pinger;
  ClientRecord record;
};

void report_ratio(benchmark::State& state, double seconds, double floor_seconds) {
  state.counters["ratio"] = seconds / static_cast<double>(state.iterations()) / floor_seconds;
}

// Node n answers in n milliseconds, or never when answering is false.
void run_node_choice(benchmark::State& state, bool answering, double floor_seconds) {
  RealTimeNetwork net;
  net.record.node_count = 49;
  for (int n = 1; n <= 49; ++n) {
    net.record.node_addresses[n] = "10.30.0." + std::to_string(n);
    if (answering) net.os.icmp.set_round_trip(net.record.node_addresses[n], n);
  }
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::DoNotOptimize(choose_best_node(net.record, net.pinger));
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  if (net.record.best_node != 1) state.SkipWithError("node 1 should win");
  report_ratio(state, seconds, floor_seconds);
}

void BM_NodeChoice49Silent(benchmark::State& state) {
  run_node_choice(state, false, 2 * 1.0);
}
BENCHMARK(BM_NodeChoice49Silent)->Iterations(3)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_NodeChoice49Answering(benchmark::State& state) {
  run_node_choice(state, true, 2 * 0.049);
}
BENCHMARK(BM_NodeChoice49Answering)->Iterations(5)->UseRealTime()->Unit(benchmark::kMillisecond);

void BM_ServerChoiceNoneAnswering(benchmark::State& state) {
  RealTimeNetwork net;
  net.library.load_icmp();
  const char* servers[] = {"10.40.0.1", "10.40.0.2", "10.40.0.3"};
  double seconds = 0;
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    OverlappedServerChoice choice(
        [&](int n, const std::function<void()>& sending) {
          ServerEchoOutcome outcome;
          const auto address = net.pinger.address_of(servers[n - 1], &outcome.error);
          if (!address) return outcome;
          sending();
          ping_reply reply;
          if (net.pinger.echo(*address, reply, 64, 2500, 32, &outcome.error)) {
            outcome.ms = reply.round_trip_ms;
          }
          return outcome;
        },
        [](const std::string&) {});
    if (!choice.keeps_last(2)) benchmark::DoNotOptimize(choice.fresh_choice());
    seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
  }
  report_ratio(state, seconds, 2.5);
}
BENCHMARK(BM_ServerChoiceNoneAnswering)
    ->Iterations(3)
    ->UseRealTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace qvx
