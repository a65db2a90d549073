// The PCs users really have, as the simulated IP Helper and the host name show them before any
// dial: which adapters are listed first, which hold a default route, and the address the host
// name resolves to first.
#pragma once
#include <ostream>
#include <string>
#include <vector>

#include "platform/sim/sim_platform.h"

namespace qvx::testing {

struct MachineAdapter {
  platform::Adapter adapter;
  std::uint32_t interface_metric;
  int route_metric;  // its default route's metric1 through its gateway; -1: none
};

struct Machine {
  const char* name;
  std::vector<MachineAdapter> adapters;  // in listing order
  std::string host_address;              // gethostbyname(gethostname())'s first address
  std::uint32_t lan_index;               // what partial relay must take for the LAN
  std::string lan_address, lan_gateway;
};

inline void PrintTo(const Machine& m, std::ostream* out) {
  *out << m.name;
}

inline platform::ForwardRow machine_default_route(std::uint32_t if_index,
                                                  const std::string& gateway,
                                                  std::uint32_t metric) {
  platform::ForwardRow r;
  r.next_hop = sim::ipv4(gateway);
  r.if_index = if_index;
  r.type = 4;
  r.proto = 3;
  r.metric1 = metric;
  r.metric2 = r.metric3 = r.metric4 = r.metric5 = 0xFFFFFFFFu;
  return r;
}

// Adapters and their default routes go in in listing order, so the table lists them so too.
inline void build_machine(sim::SimPlatform& os, const Machine& m) {
  for (const MachineAdapter& a : m.adapters) {
    os.ip_helper.add_adapter(a.adapter, a.interface_metric);
    if (a.route_metric >= 0) {
      os.ip_helper.add_route(machine_default_route(a.adapter.index, a.adapter.gateways.at(0),
                                                   static_cast<std::uint32_t>(a.route_metric)));
    }
  }
  os.sockets.set_machine("quovix-pc", m.host_address);
}

inline std::vector<Machine> common_machines() {
  using platform::kIfTypePpp;
  return {
      {"HyperVAndWslFirst",
       {{{45, {"172.25.80.1"}, {"0.0.0.0"}}, 5000, -1},
        {{52, {"172.30.96.1"}, {"0.0.0.0"}}, 5000, -1},
        {{12, {"192.168.1.5"}, {"192.168.1.1"}}, 25, 25}},
       "172.25.80.1",
       12,
       "192.168.1.5",
       "192.168.1.1"},
      {"VmwareAndVirtualBoxHostOnlyFirst",
       {{{17, {"192.168.223.1"}, {""}}, 35, -1},
        {{9, {"192.168.56.1"}, {""}}, 25, -1},
        {{7, {"0.0.0.0", "10.0.0.23"}, {"10.0.0.1"}}, 35, 35}},
       "192.168.223.1",
       7,
       "10.0.0.23",
       "10.0.0.1"},
      // Wi-Fi listed first, its default route first in the table, but Ethernet's wins.
      {"WifiAndEthernet",
       {{{14, {"192.168.0.20"}, {"192.168.0.1"}}, 50, 50},
        {{6, {"192.168.1.5"}, {"192.168.1.1"}}, 25, 25}},
       "192.168.0.20",
       6,
       "192.168.1.5",
       "192.168.1.1"},
      // Another VPN is up with its own default route, weaker than the LAN's.
      {"SecondVpnWithADefaultRoute",
       {{{30, {"10.9.0.2"}, {"10.9.0.1"}, kIfTypePpp}, 60, 60},
        {{6, {"192.168.1.5"}, {"192.168.1.1"}}, 25, 25}},
       "10.9.0.2",
       6,
       "192.168.1.5",
       "192.168.1.1"},
  };
}

}  // namespace qvx::testing
