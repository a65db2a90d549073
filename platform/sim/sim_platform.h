// A whole simulated machine for the tests, over a host directory that holds its drive.
#pragma once
#include <filesystem>
#include <string>
#include <utility>

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
#include "platform/sim/sim_user.h"

namespace qvx::sim {

class SimPlatform {
 public:
  explicit SimPlatform(const std::filesystem::path& root)
      : files(root),
        ras(ip_helper),
        downloader(files),
        mutex(objects, session),
        process(mutex, downloader),
        user_store(hives, session),
        data_protection(dpapi, session) {}
  SimPlatform(const SimPlatform&) = delete;
  SimPlatform& operator=(const SimPlatform&) = delete;

  // The machine's named objects, users' hives and DPAPI keys, shared by its logon sessions.
  model::ObjectNamespace objects;
  SimUserHives hives;
  model::DataProtection dpapi;
  // The session this machine's own client runs in.
  model::LogonSession session;

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
  SimUserStore user_store;
  SimDataProtection data_protection;

  // A machine profile (tests/profiles): the IP Helper's adapters and routes, how it sleeps and
  // its ANSI code page.
  bool load_machine(const std::string& profile, int* bad_line = nullptr) {
    if (!ip_helper.load_profile(profile, bad_line)) return false;
    if (ip_helper.modern_standby()) power.set_machine({model::SleepKind::ModernStandby, true});
    ras.set_code_page(ip_helper.code_page());
    return true;
  }

  platform::Platform platform() {
    return platform::Platform{
        ras,     ip_helper, icmp,  sockets, downloader,  shell, registry,   mutex,
        version, files,     clock, process, logon_tasks, power, user_store, data_protection};
  }
};

// Another logon session on the same machine, as with fast user switching: its own user,
// handles, HKEY_CURRENT_USER and DPAPI keys; the machine's files, RAS, routes and registry.
class SimSession {
 public:
  SimSession(SimPlatform& machine, model::LogonSession who)
      : session(std::move(who)),
        mutex(machine.objects, session),
        process(mutex, machine.downloader),
        user_store(machine.hives, session),
        data_protection(machine.dpapi, session),
        machine_(machine) {}

  model::LogonSession session;
  SimMutex mutex;
  SimProcess process;
  SimShell shell;
  SimUserStore user_store;
  SimDataProtection data_protection;

  platform::Platform platform() {
    SimPlatform& m = machine_;
    return platform::Platform{m.ras,         m.ip_helper, m.icmp,     m.sockets,
                              m.downloader,  shell,       m.registry, mutex,
                              m.version,     m.files,     m.clock,    process,
                              m.logon_tasks, m.power,     user_store, data_protection};
  }

 private:
  SimPlatform& machine_;
};

}  // namespace qvx::sim
