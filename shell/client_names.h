// The named mutexes a running client holds. The setup and the uninstaller look for the same
// names (installer/guards.nsh; a unit test holds the two to each other).
#pragma once

namespace qvx {

// Session-local: the only name of earlier versions, which still look for it and hold it.
inline constexpr char kClientMutexSession[] = "Quovix加速";
// Every session's: the connection and the routing table belong to the whole PC.
inline constexpr char kClientMutexGlobal[] = "Global\\Quovix加速";

}  // namespace qvx
