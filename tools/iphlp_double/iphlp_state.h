// The IP Helper double's world, kept in text files beside the DLL so a test can seed and read
// it: adapters, the routing table, echo answers and pending faults. Tunnel adapters exist only
// while the RAS double (same folder) holds a connection of the client's brand.
//
// State file iphlp_double_state.txt, one item a line:
//   profile vista|xp   (vista, the default: Windows Vista and later; xp: the XP model)
//   adapter INDEX addr=IP/MASK[,IP/MASK] gw=IP[,IP] [type=N] [metric=N] [tunnel]
//           [appear=after_query]
//   route DEST MASK NEXTHOP IFINDEX metric1=N [type= proto= age= policy= nexthopas= metric2..5=]
//   echo ADDRESS|* status=N [rtt=N] [reply=1]
//   fail FUNCTION CODE COUNT [skip=N]   (skip=N: the first N calls go through)
//   slow FUNCTION MS COUNT
//   tunnel_conn HANDLE   (written by the double: the RAS connection its tunnel routes belong to)
// Control file iphlp_double_control.txt: any of those lines, added at the next call, then the
// file is removed. Every call appends one line with all its fields to iphlp_double_log.txt.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

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
  std::vector<std::uint32_t> icmp_handles;
  std::uint32_t next_icmp = 0x100;
  std::uint32_t tunnel_conn = 0;  // the brand connection the tunnel adapters belong to, or 0
  bool tunnel_up() const { return tunnel_conn != 0; }

  std::vector<const Adapter*> visible_adapters() const;
  bool interface_exists(std::uint32_t index) const;
  const Adapter* adapter(std::uint32_t index) const;
  const Echo* echo_for(const std::string& dotted) const;
  std::optional<std::uint32_t> take_fault(const std::string& function);
  void reveal_after_query();
};

std::string dotted(std::uint32_t network_order);
std::uint32_t from_dotted(const std::string& text);

// One call of an exported function: holds the lock, loads the state, applies the control file
// and sleeps if the call is to be slow; finish() logs the line with the result and saves.
class Call {
 public:
  explicit Call(const char* function);
  ~Call();
  Call(const Call&) = delete;
  Call& operator=(const Call&) = delete;

  void arg(const char* key, std::uint32_t value);
  void text(const char* key, const std::string& value);
  void pointer(const char* key, const void* p);  // "null" or "set"
  std::uint32_t finish(std::uint32_t result);

  State state;
  const std::string function;

 private:
  std::string line_;
};

void set_module_dir(const std::string& dir);

}  // namespace iphlp_double
