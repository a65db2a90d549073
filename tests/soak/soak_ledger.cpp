#include "soak_ledger.h"

#include <malloc.h>

#include <cctype>
#include <fstream>
#include <iterator>
#include <set>
#include <sstream>
#include <thread>

#if defined(__SANITIZE_ADDRESS__)
extern "C" std::size_t __sanitizer_get_current_allocated_bytes();
#endif

namespace qvx::soak {
namespace fs = std::filesystem;

Handles count_handles(const sim::SimPlatform& os, const widgets::HeadlessUi* ui, int workers) {
  Handles h;
  h.ras_connections = os.ras.live_connections();
  h.ras_entries = os.ras.live_entries();
  h.icmp_handles = os.icmp.open_handles();
  h.open_files = os.files.live_files();
  h.threads = process_threads();
  h.workers = workers;
  h.timers = ui ? ui->live_timers() : 0;
  h.downloads = os.downloader.live_downloads();
  h.routes = os.ip_helper.routes().size();
  return h;
}

namespace {

std::vector<std::pair<const char*, long long>> fields(const Handles& h) {
  return {{"connections", static_cast<long long>(h.ras_connections)},
          {"entries", static_cast<long long>(h.ras_entries)},
          {"icmp", h.icmp_handles},
          {"files", h.open_files},
          {"threads", h.threads},
          {"workers", h.workers},
          {"timers", static_cast<long long>(h.timers)},
          {"downloads", static_cast<long long>(h.downloads)},
          {"routes", static_cast<long long>(h.routes)}};
}

}  // namespace

std::string differences(const Handles& before, const Handles& after) {
  const auto a = fields(before), b = fields(after);
  std::string out;
  for (std::size_t i = 0; i < a.size(); ++i) {
    if (a[i].second == b[i].second) continue;
    if (!out.empty()) out += ", ";
    out += std::string(a[i].first) + " " + std::to_string(a[i].second) + " -> " +
           std::to_string(b[i].second);
  }
  return out;
}

std::string describe(const Handles& h) {
  std::string out;
  for (const auto& [name, value] : fields(h)) {
    if (!out.empty()) out += ", ";
    out += std::string(name) + " " + std::to_string(value);
  }
  return out;
}

int process_threads() {
  std::error_code ec;
  int n = 0;
  for (fs::directory_iterator it("/proc/self/task", ec), end; !ec && it != end; it.increment(ec)) {
    ++n;
  }
  return n;
}

void settle_runtime_threads() {
  std::thread([] {}).join();
}

long peak_resident_kib() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("VmHWM:", 0) == 0) return std::stol(line.substr(6));
  }
  return -1;
}

long long live_heap_bytes() {
#if defined(__SANITIZE_ADDRESS__)
  return static_cast<long long>(__sanitizer_get_current_allocated_bytes());
#else
  return static_cast<long long>(mallinfo2().uordblks);
#endif
}

std::vector<std::string> leftovers(const fs::path& program_dir) {
  static const std::set<std::string> own = {"qvxl.log", "user.ini", "softsetup.ini", "route"};
  std::vector<std::string> out;
  for (const auto& entry : fs::directory_iterator(program_dir)) {
    const std::string name = entry.path().filename().string();
    if (!own.count(name)) out.push_back(name);
  }
  return out;
}

std::uintmax_t LogTail::size() const {
  std::error_code ec;
  const auto n = fs::file_size(file_, ec);
  return ec ? 0 : n;
}

std::vector<std::string> LogTail::new_lines() {
  const std::uintmax_t end = size();
  if (end < offset_) offset_ = 0;
  std::ifstream in(file_, std::ios::binary);
  in.seekg(static_cast<std::streamoff>(offset_));
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  last_read_ = text.size();
  offset_ += text.size();
  std::vector<std::string> lines;
  std::istringstream split(text);
  for (std::string line; std::getline(split, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const auto message = line.find("]  ");
    if (message != std::string::npos) lines.push_back(line.substr(message + 3));
  }
  return lines;
}

namespace {

std::optional<std::uint32_t> number_at(const std::string& text, std::size_t at) {
  std::size_t end = at;
  while (end < text.size() && std::isdigit(static_cast<unsigned char>(text[end]))) ++end;
  if (end == at) return std::nullopt;
  return static_cast<std::uint32_t>(std::stoul(text.substr(at, end - at)));
}

}  // namespace

std::optional<std::uint32_t> reported_error(const std::string& line) {
  static const std::string number = "错误编号：", network = "网络连接";
  if (const auto at = line.find(number); at != std::string::npos) {
    return number_at(line, at + number.size());
  }
  if (const auto at = line.find(network); at != std::string::npos) {
    return number_at(line, at + network.size());
  }
  if (line.find("该账号正在被使用") != std::string::npos) return 691;
  return std::nullopt;
}

std::vector<std::uint32_t> reported_errors(const std::vector<std::string>& lines) {
  std::vector<std::uint32_t> out;
  for (const auto& line : lines) {
    if (const auto code = reported_error(line)) out.push_back(*code);
  }
  return out;
}

namespace {
std::map<std::string, std::string>& figure_table() {
  static std::map<std::string, std::string> table;
  return table;
}
}  // namespace

void record_figure(const std::string& key, const std::string& value) {
  figure_table()[key] = value;
}

const std::map<std::string, std::string>& figures() {
  return figure_table();
}

}  // namespace qvx::soak
