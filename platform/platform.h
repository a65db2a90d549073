// Everything the application reaches the operating system through, handed in at construction.
#pragma once
#include "platform/clock.h"
#include "platform/download.h"
#include "platform/files.h"
#include "platform/icmp.h"
#include "platform/ip_helper.h"
#include "platform/logon_tasks.h"
#include "platform/mutex.h"
#include "platform/power.h"
#include "platform/process.h"
#include "platform/ras.h"
#include "platform/registry.h"
#include "platform/shell.h"
#include "platform/sockets.h"
#include "platform/user_store.h"
#include "platform/version.h"

namespace qvx::platform {

struct Platform {
  Ras& ras;
  IpHelper& ip_helper;
  Icmp& icmp;
  Sockets& sockets;
  Downloader& downloader;
  Shell& shell;
  Registry& registry;
  NamedMutex& mutex;
  SystemVersion& version;
  Files& files;
  Clock& clock;
  Process& process;
  LogonTasks& logon_tasks;
  Power& power;
  UserStore& user_store;
  DataProtection& data_protection;
};

}  // namespace qvx::platform
