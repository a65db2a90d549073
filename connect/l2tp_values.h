// The RAS manager values an L2TP dial without IPsec (内网模式) needs, written when such a dial
// needs them rather than when the mode is chosen: ProhibitIpSec turns IPsec off for every L2TP
// connection of the PC. Values the client creates are listed in the program folder, so that the
// uninstaller removes those and leaves values that were there before.
#pragma once
#include <string>

#include "platform/files.h"
#include "platform/registry.h"

namespace qvx {

inline constexpr char kRasManParameters[] =
    "SYSTEM\\CurrentControlSet\\Services\\RasMan\\Parameters";
// An INI file the uninstaller reads: section [created], one line "name=1" per value.
inline constexpr char kL2tpRecordFile[] = "rasman.ini";

// Writes each missing value and records it; a value that exists stays as it is, whatever its
// data. True when ProhibitIpSec was written now: a running RasMan does not see it yet.
bool write_l2tp_values(platform::Registry& registry, platform::Files& files,
                       const std::string& app_dir);

}  // namespace qvx
