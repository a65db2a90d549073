// The address ranges of the three networks, loaded once from the route files, with the network
// lookup and the routing-table changes of partial relay.
#pragma once
#include <array>
#include <cstdint>
#include <string>

#include "platform/platform.h"

namespace qvx {

enum network_index { CHINANET = 0, CNC = 1, CERNET = 2, NO_NETWORK = 3 };

constexpr int kRouteTables = 3;
constexpr int kRouteRows = 500;
constexpr int kRouteFields = 12;

using RouteRow = std::array<std::int32_t, kRouteFields>;

class route {
 public:
  explicit route(const platform::Platform& platform);
  virtual ~route();

  // Loads route\CERNET.dat, route\CHINANET.dat and route\CNC.dat under app_dir.
  void load(const std::string& app_dir);
  int identify_network(const std::string& address_text);
  int add_route(const std::string& destination, const std::string& mask, int metric);
  int set_route(const std::string& destination, const std::string& mask, int if_index, int metric);
  int apply_partial_relay(const std::string& server_gateway, int server_gateway_if);
  int restore_routes(int local_gateway_if, int server_gateway_if);

  std::array<std::array<RouteRow, kRouteRows>, kRouteTables> tables{};
  std::array<std::int32_t, 4> address_octets{};
  int own_network = 0;
  std::array<int, kRouteTables> row_counts{};

 private:
  platform::Platform platform_;
};

// Name shown for a network_index: "中国电信", "中国网通", "教育网", "未知网络".
std::string network_name(int index);

// Dotted IPv4 text in network byte order, as inet_addr reads it: 255.255.255.255 (INADDR_NONE)
// for anything but four numbers of 0 to 255, so a row with values out of range routes nothing
// useful but never crashes.
std::uint32_t address_from_dotted(const std::string& text);

}  // namespace qvx
