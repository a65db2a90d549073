// The end of the simulated process: what the system releases when a process ends. The test's
// threads go on, so exit returns; the caller then finishes as the test needs.
#pragma once
#include <functional>

#include "platform/process.h"
#include "platform/sim/http_downloader.h"
#include "platform/sim/sim_basics.h"

namespace qvx::sim {

class SimProcess : public platform::Process {
 public:
  SimProcess(SimMutex& mutex, HttpDownloader& downloader)
      : mutex_(mutex), downloader_(downloader) {}

  // Releases the named objects the process made and ends its cancel of downloads.
  void exit(unsigned code) override;
  void terminate(unsigned code) override;

  // Test side.
  int exits() const { return exits_; }
  int terminations() const { return terminations_; }
  // Called at the moment of either end, before anything is released.
  std::function<void()> on_exit;

 private:
  SimMutex& mutex_;
  HttpDownloader& downloader_;
  int exits_ = 0;
  int terminations_ = 0;
  void release();
};

}  // namespace qvx::sim
