#include "routing/tunnel_choice.h"

#include <algorithm>

namespace qvx {

namespace {

bool holds(const platform::Adapter& a, const std::string& address) {
  return std::find(a.addresses.begin(), a.addresses.end(), address) != a.addresses.end();
}

// A PPP link's gateway is commonly 0.0.0.0 from Vista on: its own end stands in for it.
TunnelChoice chosen(TunnelChoice::Outcome how, const platform::Adapter& a) {
  TunnelChoice c;
  c.outcome = how;
  c.adapter = &a;
  for (const std::string& g : a.gateways) {
    if (acceptable_gateway(g)) {
      c.gateway = g;
      return c;
    }
  }
  for (const std::string& address : a.addresses) {
    if (acceptable_gateway(address) && !address.empty()) {
      c.gateway = address;
      break;
    }
  }
  return c;
}

}  // namespace

bool acceptable_gateway(const std::string& text) {
  return text != "0.0.0.0" && (text.empty() || text[0] != '.');
}

TunnelChoice choose_tunnel(const std::vector<platform::Adapter>& adapters,
                           const std::string& projected_address) {
  using Outcome = TunnelChoice::Outcome;
  if (!projected_address.empty()) {
    for (const auto& a : adapters) {
      if (holds(a, projected_address)) return chosen(Outcome::ByAddress, a);
    }
    return TunnelChoice{Outcome::NoAddressYet, nullptr, ""};
  }
  const platform::Adapter* ppp = nullptr;
  for (const auto& a : adapters) {
    if (a.type != platform::kIfTypePpp) continue;
    if (ppp) return TunnelChoice{Outcome::SeveralPpp, nullptr, ""};
    ppp = &a;
  }
  if (ppp) return chosen(Outcome::ByPppType, *ppp);
  const platform::Adapter* last = nullptr;
  for (const auto& a : adapters) {
    if (a.index <= 5000) continue;
    if (std::any_of(a.gateways.begin(), a.gateways.end(),
                    [](const std::string& g) { return acceptable_gateway(g); })) {
      last = &a;
    }
  }
  if (last) return chosen(Outcome::ByIndex, *last);
  return TunnelChoice{};
}

}  // namespace qvx
