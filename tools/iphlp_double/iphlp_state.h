// The IP Helper double's world: the model's machine (platform/sim/model: adapters, the routing
// table and their rules), echo answers and pending faults. Tunnel adapters exist only while the
// RAS double (same folder) holds a connection of the client's brand.
//
// The world lives in the process that loaded the double. Its file, iphlp_double_state.txt, is
// a journal: read once at the process's first call, rewritten then as a snapshot, and from then
// on every change is one line appended to it, so a call costs the same with 10 routes or 1,000
// and a test (tests/wine/iphlp_double.sh) or the next process replays it. Lines: the machine's
// (platform/sim/model/machine_profile.h: profile, adapter, route, unroute, ignore_set_metric,
// modern_standby), and
//   echo ADDRESS|* status=N [rtt=N] [reply=1]
//   fail FUNCTION CODE COUNT [skip=N]   (skip=N: the first N calls go through)
//   fail_every N CODE   (every Nth route write of this process, Create, Set or Delete, fails
//           with CODE; its log line says injected=CODE)
//   slow FUNCTION MS COUNT
//   took fail|slow FUNCTION   (one call met the first such fault)
//   reveal   (adapters that appear after a query have appeared)
//   tunnel_conn HANDLE   (the RAS connection the tunnel routes belong to)
//   reset    (everything before is forgotten)
// Control file iphlp_double_control.txt: any of those lines, applied at the next call (and
// journalled), then the file is removed; a machine profile (tests/profiles) can be written
// there whole. Every call appends one line with all its fields to iphlp_double_log.txt. ICMP
// handles belong to their process, as Windows handles do. After every call
// iphlp_double_live.txt holds "routes=N icmp=N": the routes outside the tunnels' interfaces
// (those go with the tunnel) and this process's open ICMP handles.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/model/machine_profile.h"
#include "tools/double_common/call_line.h"
#include "tools/double_common/lock.h"

namespace iphlp_double {

struct Echo {
  std::string address;  // dotted, or "*" for every other address
  std::uint32_t status = 0;
  std::uint32_t rtt = 0;
  bool reply = false;  // a failure that still comes back as one reply record
};

struct Fault {
  std::string function;
  std::uint32_t value = 0;  // error code, or milliseconds for a slow call
  int count = 1;
  int skip = 0;
};

struct State {
  qvx::model::IpMachine machine;
  std::vector<Echo> echoes;
  std::vector<Fault> faults;
  std::vector<Fault> delays;
  std::vector<std::uint32_t> icmp_handles;
  std::uint32_t next_icmp = 0x100;
  std::uint32_t tunnel_conn = 0;  // the brand connection the tunnel adapters belong to, or 0
  std::uint32_t write_fail_every = 0, write_fail_code = 0;
  std::uint32_t writes = 0;  // route writes of this process, counted for write_fail_every
  bool xp() const { return machine.xp(); }
  const Echo* echo_for(const std::string& dotted) const;

  // Changes that are journalled.
  std::optional<std::uint32_t> take_fault(const std::string& function);
  void reveal_after_query();
  void journal_route(const qvx::platform::ForwardRow& r);  // as the table now holds it
  void journal_unroute(const qvx::platform::ForwardRow& r);

  std::string journal;  // lines of this call's changes, not yet appended
};

using qvx::model::dotted;
using qvx::model::from_dotted;

// One call of an exported function: holds the lock, loads the world at the process's first
// call, applies the control file, follows the RAS double's tunnel and sleeps if the call is to
// be slow; finish() logs the line with the result and journals the call's changes.
class Call : public double_common::CallLine {
 public:
  explicit Call(const char* function);
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  std::uint32_t finish(std::uint32_t result);
  // A route write's injected failure: a pending fail line, or the periodic one.
  std::optional<std::uint32_t> write_fault();

 private:
  double_common::Lock lock_;

 public:
  State& state;
  const std::string function;
};

}  // namespace iphlp_double
