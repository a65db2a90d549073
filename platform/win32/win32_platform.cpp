#include "platform/win32/win32_platform.h"

#include "platform/win32/win32_basics.h"
#include "platform/win32/win32_downloader.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_icmp.h"
#include "platform/win32/win32_ip_helper.h"
#include "platform/win32/win32_logon_tasks.h"
#include "platform/win32/win32_power.h"
#include "platform/win32/win32_ras.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_sockets.h"
#include "platform/win32/win32_user_store.h"

namespace qvx {

struct Win32Platform::Services {
  win32::Win32Ras ras;
  Win32IpHelper ip_helper;
  Win32Icmp icmp;
  Win32Sockets sockets;
  Win32Downloader downloader;
  win32::Win32Shell shell;
  win32::Win32Registry registry;
  win32::Win32Mutex mutex;
  win32::Win32Version version;
  win32::Win32Files files;
  win32::Win32Clock clock;
  win32::Win32Process process;
  win32::Win32LogonTasks logon_tasks;
  Win32Power power;
  win32::Win32UserStore user_store;
  win32::Win32DataProtection data_protection;
};

Win32Platform::Win32Platform() : services_(std::make_unique<Services>()) {}
Win32Platform::~Win32Platform() = default;

platform::Platform Win32Platform::platform() {
  Services& s = *services_;
  return platform::Platform{s.ras,         s.ip_helper, s.icmp,       s.sockets,
                            s.downloader,  s.shell,     s.registry,   s.mutex,
                            s.version,     s.files,     s.clock,      s.process,
                            s.logon_tasks, s.power,     s.user_store, s.data_protection};
}

}  // namespace qvx
