// A whole simulated machine for the tests, over a host directory that holds its drive.
#pragma once
#include <filesystem>
#include <string>

#include "platform/platform.h"
#include "platform/sim/http_downloader.h"
#include "platform/sim/sim_basics.h"
#include "platform/sim/sim_files.h"
#include "platform/sim/sim_icmp.h"
#include "platform/sim/sim_ip_helper.h"
#include "platform/sim/sim_logon_tasks.h"
#include "platform/sim/sim_power.h"
#include "platform/sim/sim_process.h"
#include "platform/sim/sim_ras.h"
#include "platform/sim/sim_sockets.h"

namespace qvx::sim {

class SimPlatform {
 public:
  explicit SimPlatform(const std::filesystem::path& root)
      : files(root), ras(ip_helper), downloader(files), process(mutex, downloader) {}
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  SimFiles files;  // before the downloader, which writes through it
  SimIpHelper ip_helper;
  SimRas ras;
  SimIcmp icmp;
  SimSockets sockets;
  HttpDownloader downloader;
  SimShell shell;
  SimRegistry registry;
  SimMutex mutex;
  SimVersion version;
  SimClock clock;
  SimProcess process;
  SimLogonTasks logon_tasks;
  SimPower power;

  // A machine profile (tests/profiles): the IP Helper's adapters and routes, and how it sleeps.
  bool load_machine(const std::string& profile, int* bad_line = nullptr) {
    if (!ip_helper.load_profile(profile, bad_line)) return false;
    if (ip_helper.modern_standby()) power.set_machine({model::SleepKind::ModernStandby, true});
    return true;
  }

  platform::Platform platform() {
    return platform::Platform{ras,   ip_helper, icmp,  sockets, downloader, shell,       registry,
                              mutex, version,   files, clock,   process,    logon_tasks, power};
  }
};

}  // namespace qvx::sim
