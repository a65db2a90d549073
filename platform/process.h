// The end of this process.
#pragma once

namespace qvx::platform {

class Process {
 public:
  virtual ~Process() = default;
  // ExitProcess: the system closes every handle the process holds (the single-instance mutex
  // among them) and stops its threads, whatever they are doing. Does not return on Windows.
  virtual void exit(unsigned code) = 0;
  // TerminateProcess: the same release, but no DLL is told. Used when a worker may still be
  // inside a DLL: its loader lock would stall ExitProcess's DLL detach calls ("ExitProcess
  // function", learn.microsoft.com).
  virtual void terminate(unsigned code) = 0;
};

}  // namespace qvx::platform
