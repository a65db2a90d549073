// One lock per double: its calls, from any thread of the process, run one at a time.
#pragma once

namespace double_common {

class Lock {
 public:
  Lock();
  ~Lock();
  Lock(const Lock&) = delete;
  Lock& operator=(const Lock&) = delete;
};

}  // namespace double_common
