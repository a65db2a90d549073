// Every machine profile loads into the simulated IP Helper and describes a machine Windows
// could be: routes on listed interfaces, metric1 never below its interface metric (Vista and
// later), exactly one adapter holding the address the Wine tests replace by the program's own.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/sim/sim_ip_helper.h"
#include "platform/sim/sim_sockets.h"

namespace qvx::sim {
namespace {

namespace fs = std::filesystem;

std::string read(const fs::path& file) {
  std::ifstream in(file);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

TEST(MachineProfiles, EveryProfileLoadsAndIsAPlausibleMachine) {
  int profiles = 0;
  for (const auto& entry : fs::directory_iterator(QVX_PROFILES_DIR)) {
    if (entry.path().extension() != ".txt") continue;
    ++profiles;
    SCOPED_TRACE(entry.path().filename().string());
    SimIpHelper ip;
    int bad_line = -1;
    ASSERT_TRUE(ip.load_profile(read(entry.path()), &bad_line)) << "line " << bad_line;
    std::vector<platform::Adapter> adapters;
    ASSERT_TRUE(ip.adapters(adapters));
    int own = 0;
    for (const auto& a : adapters) {
      for (const auto& address : a.addresses) own += address == "192.168.1.100";
    }
    EXPECT_EQ(own, 1);
    std::vector<platform::ForwardRow> table;
    ASSERT_EQ(ip.forward_table(table), 0u);
    bool lan_default = false;
    for (const auto& r : table) {
      std::uint32_t metric = 0;
      const std::uint32_t found = ip.interface_metric(r.if_index, metric);
      if (ip.profile() == WindowsProfile::XpLike) {
        EXPECT_EQ(found, platform::kErrorProcNotFound);
      } else {
        ASSERT_EQ(found, 0u) << "route on interface " << r.if_index;
        EXPECT_GE(r.metric1, metric) << "route on interface " << r.if_index;
      }
      lan_default = lan_default || (r.dest == 0 && r.next_hop == ipv4("192.168.1.1"));
    }
    EXPECT_TRUE(lan_default) << "the LAN's default route";
  }
  EXPECT_GE(profiles, 8);
}

TEST(MachineProfiles, FlagsReachTheSimulatedMachine) {
  SimIpHelper ip;
  ASSERT_TRUE(
      ip.load_profile("modern_standby 1\nignore_set_metric 1\ncode_page 65001\n"
                      "adapter 12 addr=192.168.1.100 gw=192.168.1.1 metric=25\n"
                      "route 0.0.0.0 0.0.0.0 192.168.1.1 12 metric1=25\n"));
  EXPECT_TRUE(ip.modern_standby());
  EXPECT_EQ(ip.code_page(), 65001u);
  platform::ForwardRow r = ip.routes().at(0);
  r.metric1 = 200;
  EXPECT_EQ(ip.set_forward_entry(r), 0u);
  EXPECT_EQ(ip.routes().at(0).metric1, 25u);
  int bad_line = 0;
  EXPECT_FALSE(ip.load_profile("adapter 3\nbogus\n", &bad_line));
  EXPECT_EQ(bad_line, 2);
}

}  // namespace
}  // namespace qvx::sim
