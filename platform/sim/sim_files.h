// Files on a simulated Windows drive: "C:\dir\file" lives at root/C/dir/file on the host.
#pragma once
#include <atomic>
#include <filesystem>
#include <memory>
#include <set>
#include <string>

#include "platform/files.h"

namespace qvx::sim {

class SimFiles : public platform::Files {
 public:
  explicit SimFiles(std::filesystem::path root,
                    std::string program_path = "C:\\Quovix\\quovix.exe");

  std::string program_path() override { return program_path_; }
  std::optional<std::string> read(const std::string& path) override;
  std::optional<std::string> read_at_most(const std::string& path, std::size_t max_bytes) override;
  std::int64_t size(const std::string& path) override;
  std::unique_ptr<platform::OutputFile> open_output(const std::string& path, bool append) override;
  bool replace(const std::string& path, const std::string& bytes) override;
  bool remove(const std::string& path) override;

  // Test side.
  std::filesystem::path host_path(const std::string& windows_path) const;
  void set_program_path(std::string path);
  // Paths (or directories, ending in "\") that refuse every write, like a read-only folder.
  void make_read_only(const std::string& windows_path) { read_only_.insert(windows_path); }
  void clear_read_only() { read_only_.clear(); }
  // The next replace throws instead of writing (a fault no result describes).
  void throw_next_replace() { throw_next_replace_ = true; }
  // Output files handed out and not yet closed.
  int live_files() const { return *live_files_; }
  // Test helpers working on the host file directly.
  void put(const std::string& windows_path, const std::string& bytes);
  std::optional<std::string> get(const std::string& windows_path) const;

 private:
  bool writable(const std::string& path) const;

  std::filesystem::path root_;
  std::string program_path_;
  std::set<std::string> read_only_;
  bool throw_next_replace_ = false;
  // Shared with the files handed out, which may be closed after this machine is gone.
  std::shared_ptr<std::atomic<int>> live_files_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace qvx::sim
