#include "shell/run_log.h"

#include <cstdio>

#include "platform/text_mode.h"

namespace qvx {

std::string log_time_stamp(const std::tm& t) {
  char buf[64];
  std::snprintf(buf, sizeof buf, "[%d-%d-%d %d:%d:%d]  ", t.tm_year + 1900, t.tm_mon + 1, t.tm_mday,
                t.tm_hour, t.tm_min, t.tm_sec);
  return buf;
}

std::string log_date_header(const std::tm& t) {
  char buf[96];
  std::snprintf(buf, sizeof buf, "---------------------[%d-%d-%d]---------------------",
                t.tm_year + 1900, t.tm_mon + 1, t.tm_mday);
  return buf;
}

int RunLog::open(platform::Files& files, platform::Clock& clock, const std::string& app_dir) {
  std::lock_guard<std::mutex> lock(mutex_);
  clock_ = &clock;
  const std::string path = app_dir + "qvxl.log";
  const std::int64_t size = files.size(path);
  const bool append = size < kLogSizeLimit;
  file_ = files.open_output(path, append);
  return size < 0 ? -1 : static_cast<int>(std::min<std::int64_t>(size, 0x7FFFFFFF));
}

void RunLog::write(const std::string& message, int header) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (!file_ || !clock_) return;
  const std::tm t = clock_->local_time(clock_->now());
  std::string line;
  if (header == 1) line += "\n\n" + log_date_header(t) + "\n";
  line += log_time_stamp(t) + message + "\n";
  file_->write(platform::to_disk_text(line));
  file_->flush();
}

void RunLog::close() {
  std::lock_guard<std::mutex> lock(mutex_);
  file_.reset();
}

bool RunLog::is_open() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return file_ != nullptr;
}

}  // namespace qvx
