// The PCs users really have, loaded from the machine profiles (tests/profiles): which adapters
// are listed first and which hold a default route. In every one the LAN is adapter 12 at
// 192.168.1.100 behind 192.168.1.1, and the host name resolves first to the first listed
// adapter's address, as it does on Windows.
#pragma once
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "platform/sim/sim_platform.h"

namespace qvx::testing {

struct Machine {
  const char* profile;  // tests/profiles/<profile>.txt
};

inline void PrintTo(const Machine& m, std::ostream* out) {
  *out << m.profile;
}

constexpr std::uint32_t kMachineLan = 12;
constexpr char kMachineLanAddress[] = "192.168.1.100";
constexpr char kMachineLanGateway[] = "192.168.1.1";

inline std::string profile_text(const Machine& m) {
  std::ifstream in(std::string(QVX_PROFILES_DIR) + "/" + m.profile + ".txt");
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Loads the profile and points the host name at the first listed adapter; its address.
inline std::string build_machine(sim::SimPlatform& os, const Machine& m) {
  int bad_line = 0;
  if (!os.load_machine(profile_text(m), &bad_line)) {
    ADD_FAILURE() << m.profile << ": line " << bad_line;
  }
  std::vector<platform::Adapter> adapters;
  if (!os.ip_helper.adapters(adapters) || adapters.front().addresses.empty()) {
    ADD_FAILURE() << m.profile << ": no adapter listed";
    return "";
  }
  os.sockets.set_machine("quovix-pc", adapters.front().addresses.front());
  return adapters.front().addresses.front();
}

inline std::vector<Machine> common_machines() {
  return {{"hyperv_wsl"}, {"vmware_vbox"}, {"wifi_ethernet"}, {"second_vpn"}};
}

}  // namespace qvx::testing
