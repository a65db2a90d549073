// What a soak watches from outside the client: the handles the simulated machine has handed out
// and still holds, the process's threads and peak memory, the files in the program directory,
// the run log's growth and the failures it reports, and the figures a run prints.
#pragma once
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"
#include "widgets/headless/headless_ui.h"

namespace qvx::soak {

struct Handles {
  std::size_t ras_connections = 0, ras_entries = 0;
  int icmp_handles = 0, open_files = 0;
  int threads = 0;  // of the whole process
  int workers = 0;  // the application's worker threads still running
  std::size_t timers = 0, downloads = 0, routes = 0;
};

Handles count_handles(const sim::SimPlatform& os, const widgets::HeadlessUi* ui, int workers);
// "icmp 0 -> 1, timers 3 -> 4"; empty when nothing differs.
std::string differences(const Handles& before, const Handles& after);
std::string describe(const Handles& h);

int process_threads();
// Starts and joins one thread: a runtime that starts a thread of its own with the process's
// first one (ThreadSanitizer's) has done so before threads are counted.
void settle_runtime_threads();
long peak_resident_kib();  // VmHWM
// Bytes allocated and not freed, as the allocator counts them (ASan's own under ASan).
long long live_heap_bytes();

// Names in the program directory that are neither the client's own files nor the route folder:
// a reply or temporary file left behind.
std::vector<std::string> leftovers(const std::filesystem::path& program_dir);

// The run log as it grows: each call returns the lines written since the last one (the time
// stamp cut off). A log emptied at a start is read again from its beginning.
class LogTail {
 public:
  explicit LogTail(std::filesystem::path file) : file_(std::move(file)) {}
  std::vector<std::string> new_lines();
  std::uintmax_t size() const;
  std::uintmax_t last_read_bytes() const { return last_read_; }

 private:
  std::filesystem::path file_;
  std::uintmax_t offset_ = 0, last_read_ = 0;
};

// The error a run-log line reports: "错误编号：N", "网络连接N错误", or the account-in-use line
// that stands for 691.
std::optional<std::uint32_t> reported_error(const std::string& line);
std::vector<std::uint32_t> reported_errors(const std::vector<std::string>& lines);

// Figures of a run, printed by the soak program when asked (--figures=FILE).
void record_figure(const std::string& key, const std::string& value);
const std::map<std::string, std::string>& figures();

class Stopwatch {
 public:
  double seconds() const {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start_).count();
  }

 private:
  std::chrono::steady_clock::time_point start_ = std::chrono::steady_clock::now();
};

}  // namespace qvx::soak
