// Calendar time for log stamps and random seeds.
#pragma once
#include <ctime>

namespace qvx::platform {

class Clock {
 public:
  virtual ~Clock() = default;
  virtual std::time_t now() = 0;
  virtual std::tm local_time(std::time_t t) = 0;
};

}  // namespace qvx::platform
