// The end of this process.
#pragma once

namespace qvx::platform {

class Process {
 public:
  virtual ~Process() = default;
  // ExitProcess: the system closes every handle the process holds (the single-instance mutex
  // among them) and stops its threads, whatever they are doing. Does not return on Windows.
  virtual void exit(unsigned code) = 0;
};

}  // namespace qvx::platform
