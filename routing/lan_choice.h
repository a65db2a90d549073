// Which adapter is the LAN: the one Windows sends the Internet's traffic through, not the one
// that happens to hold the host name's first address (a Hyper-V, WSL, VMware or VirtualBox
// adapter is often listed first and has no default route at all).
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "platform/ip_helper.h"

namespace qvx {

struct Lan {
  platform::ForwardRow route;  // its default route
  std::string address;         // the adapter's first usable address; empty when none is listed
};

// The best IPv4 default route (0.0.0.0/0) not through excluded_if (0: none excluded), as
// Windows compares them: the lowest dwForwardMetric1, which from Vista on already holds the
// interface metric plus the route's own (KB 947216), and on XP is the route's only metric; of
// equal ones the first listed.
std::optional<Lan> choose_lan(const std::vector<platform::ForwardRow>& table,
                              const std::vector<platform::Adapter>& adapters,
                              std::uint32_t excluded_if);

// choose_lan over the machine's table and adapter list as they are now; nothing when the table
// cannot be read or holds no default route. An adapter list that cannot be read leaves the
// address empty.
std::optional<Lan> find_lan(platform::IpHelper& ip_helper, std::uint32_t excluded_if = 0);

}  // namespace qvx
