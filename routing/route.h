// The address ranges of the three networks, loaded once from the route files, with the network
// lookup and the routing-table changes of partial relay.
#pragma once
#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

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
  // Routes the other networks' ranges through the tunnel and lets the LAN's default route win,
  // acting on the default rows the routing table holds; does nothing when the tunnel or
  // either default row is missing, and undoes its routes when the defaults cannot change.
  int apply_partial_relay(const std::string& server_gateway, int server_gateway_if,
                          int local_gateway_if);
  // Puts back the two default rows exactly as apply_partial_relay found them.
  int restore_routes();

  std::array<std::array<RouteRow, kRouteRows>, kRouteTables> tables{};
  std::array<std::int32_t, 4> address_octets{};
  int own_network = 0;
  std::array<int, kRouteTables> row_counts{};

  // Run-log lines about the routing table (set by the client record).
  std::function<void(const std::string&)> log = [](const std::string&) {};

 private:
  struct Defaults {
    platform::ForwardRow tunnel, lan;
  };
  std::optional<std::uint32_t> route_metric_base(std::uint32_t if_index);
  std::vector<platform::ForwardRow> range_rows(const platform::ForwardRow& tunnel,
                                               std::uint32_t metric) const;
  // routing/default_metric.cpp: a default row's metric changed and read back.
  bool set_row(const platform::ForwardRow& row);
  std::optional<platform::ForwardRow> read_row(const platform::ForwardRow& like);
  bool shows(const platform::ForwardRow& row);
  bool set_metric2(const platform::ForwardRow& row);
  bool replace_row(const platform::ForwardRow& row);
  void report_outcome(const std::vector<platform::ForwardRow>& wanted,
                      const platform::ForwardRow& tunnel_default);

  platform::Platform platform_;
  std::optional<Defaults> changed_;  // the default rows as found, while partial relay holds
};

// Name shown for a network_index: "中国电信", "中国网通", "教育网", "未知网络".
std::string network_name(int index);

// Dotted IPv4 text in network byte order, as inet_addr reads it: 255.255.255.255 (INADDR_NONE)
// for anything but four numbers of 0 to 255, so a row with values out of range routes nothing
// useful but never crashes.
std::uint32_t address_from_dotted(const std::string& text);
// The dotted text of an address in network byte order.
std::string dotted_address(std::uint32_t network_order);

}  // namespace qvx
