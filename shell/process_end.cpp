#include "shell/process_end.h"

#include "shell/application.h"

namespace qvx {

void end_process(std::unique_ptr<Application> app) {
  platform::Process& process = app->platform.process;
  // A process ended below runs no destructor: the tray icon would stay until the mouse
  // passes over it.
  app->close_windows();
  app->platform.downloader.cancel();
  if (!app->wait_for_workers(kWorkerGrace)) {
    // The worker may be inside urlmon, holding the loader lock ExitProcess would wait for.
    process.terminate(0);
    return;
  }
  app.reset();
  process.exit(0);
}

}  // namespace qvx
