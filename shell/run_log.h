// The run log qvxl.log: one flushed, time-stamped line per call, safe from any thread.
#pragma once
#include <memory>
#include <mutex>
#include <string>

#include "platform/clock.h"
#include "platform/files.h"

namespace qvx {

constexpr long long kLogSizeLimit = 2048000;

class RunLog {
 public:
  // Opens app_dir + "qvxl.log": appended to below the size limit, emptied at or above it.
  // Returns the size found (-1 when it could not be opened for reading).
  int open(platform::Files& files, platform::Clock& clock, const std::string& app_dir);
  // header 1 writes two empty lines and the date header first.
  void write(const std::string& message, int header);
  void close();
  bool is_open() const;

 private:
  mutable std::mutex mutex_;
  std::unique_ptr<platform::OutputFile> file_;
  platform::Clock* clock_ = nullptr;
};

// "[2008-3-12 9:5:7]  " for the time stamp;
// "---------------------[2008-3-12]---------------------".
std::string log_time_stamp(const std::tm& t);
std::string log_date_header(const std::tm& t);

}  // namespace qvx
