// The IP Helper double's world: adapters, the routing table, echo answers and pending faults.
// Tunnel adapters exist only while the RAS double (same folder) holds a connection of the
// client's brand.
//
// The world lives in the process that loaded the double. Its file, iphlp_double_state.txt, is
// a journal: read once at the process's first call, rewritten then as a snapshot, and from then
// on every change is one line appended to it, so a call costs the same with 10 routes or 1,000
// and a test (tests/wine/iphlp_double.sh) or the next process replays it. Lines:
//   profile vista|xp   (vista, the default: Windows Vista and later; xp: the XP model)
//   adapter INDEX addr=IP/MASK[,IP/MASK] gw=IP[,IP] [type=N] [metric=N] [tunnel]
//           [appear=after_query]
//   route DEST MASK NEXTHOP IFINDEX metric1=N [type= proto= age= policy= nexthopas= metric2..5=]
//           (a route with the DEST MASK NEXTHOP IFINDEX of one in the table replaces it)
//   unroute DEST MASK NEXTHOP IFINDEX
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
// journalled), then the file is removed. Every call appends one line with all its fields to
// iphlp_double_log.txt. ICMP handles belong to their process, as Windows handles do. After
// every call iphlp_double_live.txt holds "routes=N icmp=N": the routes outside the tunnels'
// interfaces (those go with the tunnel) and this process's open ICMP handles.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/model/icmp_echo.h"
#include "tools/double_common/call_line.h"
#include "tools/double_common/lock.h"

namespace iphlp_double {

struct Address {
  std::string ip, mask;
};

struct Adapter {
  std::uint32_t index = 0;
  std::uint32_t type = 6;    // MIB_IF_TYPE_ETHERNET
  std::uint32_t metric = 0;  // the IPv4 interface metric (MIB_IPINTERFACE_ROW.Metric)
  std::vector<Address> addresses;
  std::vector<std::string> gateways;
  bool tunnel = false;
  bool after_query = false;  // hidden until a size query has been answered
};

// MIB_IPFORWARDROW; addresses as the caller's bytes, in network byte order.
struct Route {
  std::uint32_t dest = 0, mask = 0, policy = 0, next_hop = 0, if_index = 0;
  std::uint32_t type = 3, proto = 3, age = 0, next_hop_as = 0;
  std::uint32_t metric[5] = {1, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu, 0xFFFFFFFFu};
};

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
  bool xp = false;  // the XP model instead of Vista and later
  std::vector<Adapter> adapters;
  std::vector<Route> routes;
  std::vector<Echo> echoes;
  std::vector<Fault> faults;
  std::vector<Fault> delays;
  qvx::model::IcmpHandles icmp_handles;
  std::uint32_t tunnel_conn = 0;  // the brand connection the tunnel adapters belong to, or 0
  std::uint32_t write_fail_every = 0, write_fail_code = 0;
  std::uint32_t writes = 0;  // route writes of this process, counted for write_fail_every
  bool tunnel_up() const { return tunnel_conn != 0; }

  std::vector<const Adapter*> visible_adapters() const;
  bool interface_exists(std::uint32_t index) const;
  const Adapter* adapter(std::uint32_t index) const;
  const Echo* echo_for(const std::string& dotted) const;

  // Changes that are journalled.
  std::optional<std::uint32_t> take_fault(const std::string& function);
  void reveal_after_query();
  void put_route(const Route& r);     // added, or in place of the one with its name
  void remove_route(const Route& r);  // the one with its name

  std::string journal;  // lines of this call's changes, not yet appended
};

std::string dotted(std::uint32_t network_order);
std::uint32_t from_dotted(const std::string& text);

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
