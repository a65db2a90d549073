// What the fuzzers share: one simulated machine whose files live in memory, and a property
// check that stops the run so that libFuzzer keeps the failing input.
#pragma once
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <memory>
#include <string>

#include "platform/sim/sim_platform.h"

namespace qvx::fuzz {

// Reading and replacing whole files is all the parsers do; the host disk would only slow the
// runs down.
class MemoryFiles : public platform::Files {
 public:
  std::string program_path() override { return "C:\\Quovix\\quovix.exe"; }
  std::optional<std::string> read(const std::string& path) override {
    const auto it = files_.find(path);
    if (it == files_.end()) return std::nullopt;
    return it->second;
  }
  std::optional<std::string> read_at_most(const std::string& path, std::size_t max_bytes) override {
    auto bytes = read(path);
    if (bytes && bytes->size() > max_bytes) bytes->resize(max_bytes);
    return bytes;
  }
  std::int64_t size(const std::string& path) override {
    const auto it = files_.find(path);
    return it == files_.end() ? -1 : static_cast<std::int64_t>(it->second.size());
  }
  std::unique_ptr<platform::OutputFile> open_output(const std::string&, bool) override {
    return nullptr;
  }
  bool replace(const std::string& path, const std::string& bytes) override {
    files_[path] = bytes;
    return true;
  }
  bool remove(const std::string& path) override { return files_.erase(path) > 0; }
  void clear() { files_.clear(); }

 private:
  std::map<std::string, std::string> files_;
};

class Machine {
 public:
  Machine() : sim_(std::filesystem::temp_directory_path() / "qvx-fuzz") {}

  MemoryFiles& files() { return files_; }
  sim::SimClock& clock() { return sim_.clock; }
  platform::Platform platform() {
    return platform::Platform{
        sim_.ras,         sim_.ip_helper, sim_.icmp,       sim_.sockets,
        sim_.downloader,  sim_.shell,     sim_.registry,   sim_.mutex,
        sim_.version,     files_,         sim_.clock,      sim_.process,
        sim_.logon_tasks, sim_.power,     sim_.user_store, sim_.data_protection};
  }

 private:
  sim::SimPlatform sim_;
  MemoryFiles files_;
};

inline Machine& machine() {
  static Machine instance;
  return instance;
}

[[noreturn]] inline void fail(const std::string& property) {
  std::fprintf(stderr, "property does not hold: %s\n", property.c_str());
  std::abort();
}

inline void check(bool holds, const char* property) {
  if (!holds) fail(property);
}

inline std::string bytes(const std::uint8_t* data, std::size_t size) {
  return std::string(reinterpret_cast<const char*>(data), size);
}

}  // namespace qvx::fuzz
