#include "routing/lan_choice.h"

#include "routing/route.h"

namespace qvx {
namespace {

// An address the adapter can be reached at: dotted, not 0.0.0.0 (an adapter with no address
// yet lists that).
bool usable(const std::string& address) {
  const std::uint32_t a = address_from_dotted(address);
  return a != 0 && a != platform::kInaddrNone;
}

}  // namespace

std::optional<Lan> choose_lan(const std::vector<platform::ForwardRow>& table,
                              const std::vector<platform::Adapter>& adapters,
                              std::uint32_t excluded_if) {
  const platform::ForwardRow* best = nullptr;
  for (const platform::ForwardRow& r : table) {
    if (r.dest != 0 || r.mask != 0 || (excluded_if != 0 && r.if_index == excluded_if)) continue;
    if (!best || r.metric1 < best->metric1) best = &r;
  }
  if (!best) return std::nullopt;
  Lan lan{*best, ""};
  for (const platform::Adapter& a : adapters) {
    if (a.index != best->if_index) continue;
    for (const std::string& address : a.addresses) {
      if (usable(address)) {
        lan.address = address;
        return lan;
      }
    }
  }
  return lan;
}

std::optional<Lan> find_lan(platform::IpHelper& ip_helper, std::uint32_t excluded_if) {
  std::vector<platform::ForwardRow> table;
  if (ip_helper.forward_table(table) != 0) return std::nullopt;
  std::vector<platform::Adapter> adapters;
  if (!ip_helper.adapters(adapters)) adapters.clear();
  return choose_lan(table, adapters, excluded_if);
}

}  // namespace qvx
