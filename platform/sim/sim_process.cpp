#include "platform/sim/sim_process.h"

namespace qvx::sim {

void SimProcess::exit(unsigned) {
  ++exits_;
  release();
}

void SimProcess::terminate(unsigned) {
  ++terminations_;
  release();
}

void SimProcess::release() {
  if (on_exit) on_exit();
  mutex_.end_process();
  downloader_.end_process();
}

}  // namespace qvx::sim
