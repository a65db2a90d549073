// Calendar time for log stamps and random seeds, and short waits of worker threads.
#pragma once
#include <chrono>
#include <ctime>

namespace qvx::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::time_t now() = 0;
  virtual std::tm local_time(std::time_t t) = 0;
  // Waits on a worker thread; a simulated clock only counts the time.
  virtual void pause(std::chrono::milliseconds duration) = 0;
};

}  // namespace qvx::platform
