#include "platform/sim/sim_files.h"

#include <fstream>
#include <iterator>
#include <stdexcept>

namespace qvx::sim {
namespace fs = std::filesystem;

namespace {

class HostOutputFile : public platform::OutputFile {
 public:
  HostOutputFile(std::ofstream stream, std::shared_ptr<std::atomic<int>> live)
      : stream_(std::move(stream)), live_(std::move(live)) {
    ++*live_;
  }
  ~HostOutputFile() override { --*live_; }
  void write(const std::string& bytes) override { stream_.write(bytes.data(), bytes.size()); }
  void flush() override { stream_.flush(); }

 private:
  std::ofstream stream_;
  std::shared_ptr<std::atomic<int>> live_;
};

}  // namespace

SimFiles::SimFiles(fs::path root, std::string program_path)
    : root_(std::move(root)), program_path_(std::move(program_path)) {
  fs::create_directories(host_path(program_path_).parent_path());
}

void SimFiles::set_program_path(std::string path) {
  program_path_ = std::move(path);
  fs::create_directories(host_path(program_path_).parent_path());
}

fs::path SimFiles::host_path(const std::string& windows_path) const {
  fs::path out = root_;
  std::string part;
  for (char c : windows_path) {
    if (c == '\\' || c == '/') {
      if (!part.empty()) out /= part;
      part.clear();
    } else if (c != ':') {
      part += c;
    }
  }
  if (!part.empty()) out /= part;
  return out;
}

bool SimFiles::writable(const std::string& path) const {
  for (const std::string& ro : read_only_) {
    if (path == ro || (!ro.empty() && ro.back() == '\\' && path.rfind(ro, 0) == 0)) return false;
  }
  return true;
}

std::optional<std::string> SimFiles::read(const std::string& path) {
  std::ifstream in(host_path(path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::optional<std::string> SimFiles::read_at_most(const std::string& path, std::size_t max_bytes) {
  std::ifstream in(host_path(path), std::ios::binary);
  if (!in) return std::nullopt;
  std::string out(max_bytes, '\0');
  in.read(out.data(), static_cast<std::streamsize>(max_bytes));
  out.resize(static_cast<std::size_t>(in.gcount()));
  return out;
}

std::int64_t SimFiles::size(const std::string& path) {
  std::error_code ec;
  const fs::path p = host_path(path);
  if (!fs::is_regular_file(p, ec)) return -1;
  const auto n = fs::file_size(p, ec);
  return ec ? -1 : static_cast<std::int64_t>(n);
}

std::unique_ptr<platform::OutputFile> SimFiles::open_output(const std::string& path, bool append) {
  if (!writable(path)) return nullptr;
  std::ofstream out(host_path(path), std::ios::binary | (append ? std::ios::app : std::ios::trunc));
  if (!out) return nullptr;
  return std::make_unique<HostOutputFile>(std::move(out), live_files_);
}

bool SimFiles::replace(const std::string& path, const std::string& bytes) {
  if (throw_next_replace_) {
    throw_next_replace_ = false;
    throw std::runtime_error("simulated file fault");
  }
  if (!writable(path)) return false;
  const fs::path target = host_path(path);
  fs::path temp = target;
  temp += ".tmp";
  {
    std::ofstream out(temp, std::ios::binary | std::ios::trunc);
    if (!out) return false;
    out.write(bytes.data(), bytes.size());
    if (!out.flush()) return false;
  }
  std::error_code ec;
  fs::rename(temp, target, ec);
  if (ec) fs::remove(temp, ec);
  return !ec;
}

bool SimFiles::remove(const std::string& path) {
  if (!writable(path)) return false;
  std::error_code ec;
  return fs::remove(host_path(path), ec);
}

void SimFiles::put(const std::string& windows_path, const std::string& bytes) {
  const fs::path p = host_path(windows_path);
  fs::create_directories(p.parent_path());
  std::ofstream(p, std::ios::binary | std::ios::trunc).write(bytes.data(), bytes.size());
}

std::optional<std::string> SimFiles::get(const std::string& windows_path) const {
  std::ifstream in(host_path(windows_path), std::ios::binary);
  if (!in) return std::nullopt;
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace qvx::sim
