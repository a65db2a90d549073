// QVX-UNBUILT: the native HTTP downloader comes with the verification work.
#pragma once
#include "platform/download.h"

namespace qvx::sim {

class HttpDownloader : public platform::Downloader {
 public:
  long download(const std::string&, const std::string&) override { return -1; }
};

}  // namespace qvx::sim
