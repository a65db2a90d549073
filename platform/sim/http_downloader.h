// Real HTTP GET over loopback for the simulated machine; bodies land in its files.
#pragma once
#include <chrono>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "platform/download.h"
#include "platform/files.h"

namespace qvx::sim {

class HttpDownloader : public platform::Downloader {
 public:
  struct Limits {
    std::chrono::milliseconds connect{3000};
    std::chrono::milliseconds read{10000};  // per receive, not for the whole reply
    int redirects = 5;
  };

  explicit HttpDownloader(platform::Files& files) : HttpDownloader(files, Limits{}) {}
  HttpDownloader(platform::Files& files, Limits limits) : files_(files), limits_(limits) {}

  long download(const std::string& url, const std::string& path) override;
  void cancel() override;

  // Test side. A cancel holds for the process that made it; the next one downloads again.
  void end_process();
  // The next download throws instead of answering (a fault no result code describes).
  void throw_next();
  // Every URL asked for, as the caller gave it, in order.
  std::vector<std::string> fetched() const;
  void clear_fetched();
  // Downloads under way.
  std::size_t live_downloads() const;

 private:
  long fail(const std::string& path, long code);

  platform::Files& files_;
  const Limits limits_;
  mutable std::mutex mutex_;
  std::vector<std::string> fetched_;
  std::set<void*> active_;  // the clients of downloads under way
  bool cancelled_ = false;
  bool throw_next_ = false;
};

}  // namespace qvx::sim
