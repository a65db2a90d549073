#include <benchmark/benchmark.h>

#include <filesystem>

#include "platform/sim/sim_platform.h"
#include "platform/text_mode.h"
#include "verify/client_record.h"
#include "verify/reply_parsers.h"

namespace qvx {
namespace {

std::string full_node_list() {
  std::string text = "0 0 49\r\n";
  for (int n = 1; n <= 49; ++n) {
    text += "10.20.30." + std::to_string(n) + "@节点" + std::to_string(n) + "\r\n";
  }
  text += "1 公告 http://n/ 5 50";
  for (int i = 0; i < 50; ++i)
    text += " 滚动" + std::to_string(i) + " http://t/" + std::to_string(i);
  return text + " 1 http://tips/ 7 h r c n he m 0\r\n";
}

void BM_ParseFullNodeList(benchmark::State& state) {
  sim::SimPlatform os(std::filesystem::temp_directory_path() / "qvx-bench");
  ClientRecord record(os.platform());
  const std::string bytes = full_node_list();
  for (auto _ : state) {
    parse_node_list(platform::from_disk_text(bytes), record);
    benchmark::DoNotOptimize(record.node_count);
  }
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(bytes.size()));
  if (record.node_count != 49) state.SkipWithError("node list not parsed");
}
BENCHMARK(BM_ParseFullNodeList);

void BM_ParseVerificationLine(benchmark::State& state) {
  sim::SimPlatform os(std::filesystem::temp_directory_path() / "qvx-bench");
  ClientRecord record(os.platform());
  const std::string reply =
      "200@2430@2431@1@2008-5-1 10:0:0@2008-6-1 10:0:0@31@120@58.1.2.3@"
      "http://host/list.asp?x=@\r\n";
  for (auto _ : state) {
    VerificationFields fields(first_line(platform::from_disk_text(reply)));
    fields.read_versions(record);
    fields.read_account(record);
    benchmark::DoNotOptimize(record.list_url);
  }
}
BENCHMARK(BM_ParseVerificationLine);

}  // namespace
}  // namespace qvx
