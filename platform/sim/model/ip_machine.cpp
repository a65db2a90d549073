#include "platform/sim/model/ip_machine.h"

#include <algorithm>

namespace qvx::model {

std::vector<const Adapter*> IpMachine::present() const {
  std::vector<const Adapter*> out;
  for (const Adapter& a : adapters) {
    if ((!a.tunnel || tunnels_up) && !a.after_query) out.push_back(&a);
  }
  return out;
}

const Adapter* IpMachine::find_interface(std::uint32_t index) const {
  for (const Adapter* a : present()) {
    if (a->index == index) return a;
  }
  return nullptr;
}

std::uint32_t get_adapters_info(const IpMachine& m, std::vector<const Adapter*>& out) {
  out = m.present();
  return out.empty() ? kNoData : kNoError;
}

std::uint32_t get_ip_interface_entry(const IpMachine& m, std::uint16_t family, std::uint32_t index,
                                     std::uint32_t& metric) {
  if (m.xp()) return kProcNotFound;
  if (family != kAfInet && family != kAfInet6) return kInvalidParameter;
  const Adapter* a = m.find_interface(index);
  if (!a) return kFileNotFound;
  metric = a->metric;
  return kNoError;
}

void remove_adapter(IpMachine& m, std::uint32_t index) {
  m.adapters.erase(std::remove_if(m.adapters.begin(), m.adapters.end(),
                                  [index](const Adapter& a) { return a.index == index; }),
                   m.adapters.end());
  m.routes.erase(std::remove_if(m.routes.begin(), m.routes.end(),
                                [index](const auto& r) { return r.if_index == index; }),
                 m.routes.end());
}

}  // namespace qvx::model
