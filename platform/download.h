// URL download to a file (URLDownloadToFileA on Windows).
#pragma once
#include <string>

namespace qvx::platform {

class Downloader {
 public:
  virtual ~Downloader() = default;
  // 0 when the reply was a 2xx and its body is in the file; anything else is a failure
  // (an HTTP error reply counts as one, and leaves no file behind).
  virtual long download(const std::string& url, const std::string& path) = 0;
};

}  // namespace qvx::platform
