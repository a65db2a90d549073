// The process entry's last steps once the message loop has ended.
#pragma once
#include <chrono>
#include <memory>

namespace qvx {

class Application;

// How long the workers may take to end after the windows have gone.
constexpr std::chrono::seconds kWorkerGrace{2};

// Ends the process: the windows and the tray icon go first, downloads are called off, the
// workers get kWorkerGrace to end, the application is destroyed and the process ends, which
// releases the single-instance mutex. A worker still running after the grace does not keep
// the process: it ends with it. Does not return on Windows.
void end_process(std::unique_ptr<Application> app);

}  // namespace qvx
