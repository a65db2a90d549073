// Which adapter is the tunnel the client just dialled. On every Windows version the adapter
// holding the address the connection was given identifies it; without that address, the one
// PPP adapter; and, as on XP where dial-up interfaces were numbered above 5000, the last
// adapter above that index with a usable gateway.
#pragma once
#include <string>
#include <vector>

#include "platform/ip_helper.h"

namespace qvx {

struct TunnelChoice {
  enum class Outcome {
    ByAddress,     // the adapter holds the projected address
    ByPppType,     // the only PPP adapter
    ByIndex,       // above index 5000 with a gateway
    NoAddressYet,  // no adapter holds the projected address (yet)
    SeveralPpp,    // several PPP adapters and nothing to tell them apart: another VPN is up
    NotFound,
  };
  Outcome outcome = Outcome::NotFound;
  const platform::Adapter* adapter = nullptr;  // set for the first three outcomes
  std::string gateway;  // an acceptable gateway of the adapter, or its own address
};

// A gateway text the routes may be built on: not "0.0.0.0" and not starting with ".".
bool acceptable_gateway(const std::string& text);

// projected_address is empty when the connection's address could not be learned.
TunnelChoice choose_tunnel(const std::vector<platform::Adapter>& adapters,
                           const std::string& projected_address);

}  // namespace qvx
