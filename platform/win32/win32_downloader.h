// URL download to a file over urlmon, with the HTTP status checked: urlmon itself reports
// success for 404 and 500 replies and saves their bodies.
#pragma once
#include <atomic>
#include <functional>
#include <string>

#include "platform/download.h"

namespace qvx {

class Win32Downloader : public platform::Downloader {
 public:
  // url and path are GBK; path is a full Windows path.
  long download(const std::string& url, const std::string& path) override;
  void cancel() override { cancelled_ = true; }
  // Called on the downloading thread with the bytes received and the reply's length (0 when
  // unknown), as urlmon reports them.
  void set_progress(std::function<void(unsigned long, unsigned long)> progress) {
    progress_ = std::move(progress);
  }

  // Status code of the last reply seen, 0 when none came (refused connection, bad URL).
  unsigned long last_http_status() const { return last_status_; }

 private:
  std::atomic<unsigned long> last_status_{0};
  std::atomic<bool> cancelled_{false};
  std::function<void(unsigned long, unsigned long)> progress_;
};

}  // namespace qvx
