#include "connect/l2tp_values.h"

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <vector>

#include "platform/text_mode.h"

namespace qvx {
namespace {

struct RasManValue {
  const char* name;
  std::uint32_t number;  // for REG_DWORD
  const char* text;      // for REG_SZ, else null
};

// ProhibitIpSec=1 lets L2TP dial without an IPsec policy; the RAS manager reads it only when the
// service starts, so a restart of RasMan or of the PC must follow ("How to configure an
// L2TP/IPSec connection by using Preshared Key Authentication", Microsoft KB 240262).
constexpr RasManValue kValues[] = {
    {"ProhibitIpSec", 1, nullptr},
    {"IpOutHighWatermark", 5, nullptr},
    {"IpOutLowWatermark", 1, nullptr},
    {"Medias", 0, "rastapi"},
};

constexpr char kSection[] = "[created]";

// The names already recorded: values created by an earlier run stay ours.
std::vector<std::string> recorded(platform::Files& files, const std::string& path) {
  std::vector<std::string> names;
  const auto bytes = files.read(path);
  if (!bytes) return names;
  std::istringstream lines(platform::from_disk_text(*bytes));
  std::string line;
  while (std::getline(lines, line)) {
    const auto equals = line.find('=');
    if (equals != std::string::npos && equals > 0) names.push_back(line.substr(0, equals));
  }
  return names;
}

}  // namespace

bool write_l2tp_values(platform::Registry& registry, platform::Files& files,
                       const std::string& app_dir) {
  auto key = registry.open_local_machine(kRasManParameters);
  if (!key) return false;
  std::vector<std::string> created;
  for (const auto& v : kValues) {
    if (key->value_exists(v.name)) continue;
    const bool written =
        v.text ? key->set_string(v.name, v.text) : key->set_dword(v.name, v.number);
    if (written) created.emplace_back(v.name);
  }
  if (created.empty()) return false;

  const std::string path = app_dir + kL2tpRecordFile;
  std::vector<std::string> names = recorded(files, path);
  std::string text = std::string(kSection) + "\n";
  for (const auto& name : names) text += name + "=1\n";
  for (const auto& name : created) {
    if (std::find(names.begin(), names.end(), name) == names.end()) text += name + "=1\n";
  }
  files.replace(path, platform::to_disk_text(text));
  return std::find(created.begin(), created.end(), kValues[0].name) != created.end();
}

}  // namespace qvx
