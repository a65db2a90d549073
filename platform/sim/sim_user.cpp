#include "platform/sim/sim_user.h"

namespace qvx::sim {

std::optional<std::string> SimUserStore::read(const std::string& name) {
  auto hive = hives_.find(session_.user);
  if (hive == hives_.end()) return std::nullopt;
  auto value = hive->second.find(name);
  if (value == hive->second.end()) return std::nullopt;
  return value->second;
}

bool SimUserStore::write(const std::string& name, const std::string& bytes) {
  hives_[session_.user][name] = bytes;
  return true;
}

}  // namespace qvx::sim
