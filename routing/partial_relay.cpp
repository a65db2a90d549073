// Partial relay's changes to the routing table. Route metrics are written relative to the
// tunnel's interface metric: from Vista on, dwForwardMetric1 of MIB_IPFORWARDROW is the
// interface metric plus the route's own, and CreateIpForwardEntry / SetIpForwardEntry refuse a
// value below the interface metric (learn.microsoft.com, iphlpapi.h; KB 947216). The old
// MIB_IPFORWARDROW functions stay: they exist on every version, so XP (and Wine, which lacks
// CreateIpForwardEntry2) take the same path with an interface metric of 0.
#include <algorithm>
#include <cctype>
#include <limits>
#include <set>
#include <tuple>

#include "routing/route.h"

namespace qvx {
namespace {

using platform::ForwardRow;

constexpr std::uint32_t kRangeOffset = 1;     // the ranges: just above the interface itself
constexpr std::uint32_t kLosingOffset = 100;  // the tunnel's default route, to lose
constexpr std::uint32_t kNetMgmt = 3;         // MIB_IPPROTO_NETMGMT, required of callers
constexpr std::uint32_t kIndirect = 4;        // MIB_IPROUTE_TYPE_INDIRECT
constexpr std::uint32_t kUnusedMetric = 0xFFFFFFFFu;

std::uint32_t plus(std::uint32_t a, std::uint32_t b) {
  return a > std::numeric_limits<std::uint32_t>::max() - b
             ? std::numeric_limits<std::uint32_t>::max()
             : a + b;
}

bool octets_in_range(const RouteRow& row, int first) {
  for (int i = first; i < first + 4; ++i) {
    if (row[static_cast<std::size_t>(i)] < 0 || row[static_cast<std::size_t>(i)] > 255)
      return false;
  }
  return true;
}

std::uint32_t address_of(const RouteRow& row, int first) {
  std::uint32_t out = 0;
  for (int i = 0; i < 4; ++i) {
    out |= static_cast<std::uint32_t>(row[static_cast<std::size_t>(first + i)]) << (8 * i);
  }
  return out;
}

std::string error_text(std::uint32_t code) {
  return "，错误编号：" + std::to_string(code);
}

// An interface's default route; of several, the one that wins (lowest metric).
std::optional<ForwardRow> default_row(const std::vector<ForwardRow>& table, std::uint32_t index) {
  std::optional<ForwardRow> best;
  for (const ForwardRow& r : table) {
    if (r.dest != 0 || r.mask != 0 || r.if_index != index) continue;
    if (!best || r.metric1 < best->metric1) best = r;
  }
  return best;
}

using RouteKey = std::tuple<std::uint32_t, std::uint32_t, std::uint32_t, std::uint32_t>;
RouteKey key_of(const ForwardRow& r) {
  return {r.dest, r.mask, r.if_index, r.metric1};
}

}  // namespace

// 0 where the system has no interface metric (XP); nothing when it has one that cannot be read.
std::optional<std::uint32_t> route::route_metric_base(std::uint32_t if_index) {
  std::uint32_t metric = 0;
  const std::uint32_t result = platform_.ip_helper.interface_metric(if_index, metric);
  if (result == 0) return metric;
  if (result == platform::kErrorProcNotFound) return 0;
  log("部分中转未生效：读取加速连接接口跃点数失败" + error_text(result) + "，保持完全中转");
  return std::nullopt;
}

// One row per range of the two networks the machine is not in, through the tunnel's own next
// hop (0.0.0.0 for an on-link PPP route, its gateway on XP).
std::vector<ForwardRow> route::range_rows(const ForwardRow& tunnel, std::uint32_t metric) const {
  std::vector<ForwardRow> out;
  if (own_network == NO_NETWORK) return out;
  for (int t = 0; t < kRouteTables; ++t) {
    if (t == own_network) continue;
    const auto& table = tables[static_cast<std::size_t>(t)];
    for (int r = 0; r < row_counts[static_cast<std::size_t>(t)]; ++r) {
      const RouteRow& range = table[static_cast<std::size_t>(r)];
      // A row that is no address range (a damaged file) routes nothing.
      if (!octets_in_range(range, 0) || !octets_in_range(range, 8)) continue;
      ForwardRow row;
      row.dest = address_of(range, 0);
      row.mask = address_of(range, 8);
      row.next_hop = tunnel.next_hop;
      row.if_index = tunnel.if_index;
      row.type = kIndirect;
      row.proto = kNetMgmt;
      row.metric1 = metric;
      row.metric2 = row.metric3 = row.metric4 = row.metric5 = kUnusedMetric;
      out.push_back(row);
    }
  }
  return out;
}

// What the table holds afterwards, read back rather than assumed from the answers.
void route::report_outcome(const std::vector<ForwardRow>& wanted, const ForwardRow& lowered) {
  std::vector<ForwardRow> table;
  const std::uint32_t result = platform_.ip_helper.forward_table(table);
  if (result != 0) {
    log("部分中转结果未知：读取路由表失败" + error_text(result));
    return;
  }
  std::set<RouteKey> present;
  for (const ForwardRow& r : table) present.insert(key_of(r));
  const auto held = std::count_if(wanted.begin(), wanted.end(),
                                  [&](const ForwardRow& r) { return present.count(key_of(r)); });
  const auto tunnel = default_row(table, lowered.if_index);
  log("部分中转已生效：" + std::to_string(held) + "/" + std::to_string(wanted.size()) +
      "条路由经加速连接，加速连接默认路由跃点数为" +
      (tunnel ? std::to_string(tunnel->metric1) : std::string("（无）")));
}

int route::apply_partial_relay(const std::string& server_gateway, int server_gateway_if,
                               int local_gateway_if) {
  changed_.reset();
  // No tunnel was found; discovery has said why.
  if (server_gateway.empty() || !std::isdigit(static_cast<unsigned char>(server_gateway[0]))) {
    return 0;
  }
  std::vector<ForwardRow> table;
  if (const std::uint32_t result = platform_.ip_helper.forward_table(table); result != 0) {
    log("部分中转未生效：读取路由表失败" + error_text(result));
    return 0;
  }
  const auto tunnel = default_row(table, static_cast<std::uint32_t>(server_gateway_if));
  const auto lan = default_row(table, static_cast<std::uint32_t>(local_gateway_if));
  if (!tunnel) {
    log("部分中转未生效：路由表中没有加速连接的默认路由");
    return 0;
  }
  if (!lan || local_gateway_if == server_gateway_if) {
    log("部分中转未生效：路由表中没有本地默认路由");
    return 0;
  }
  table.clear();

  // Without the interface metric every range route would be refused while the tunnel's default
  // still lost: nothing would go through the tunnel's ranges. Nothing is changed instead.
  const std::optional<std::uint32_t> metric_base = route_metric_base(tunnel->if_index);
  if (!metric_base) return 0;
  const std::uint32_t base = *metric_base;
  const std::vector<ForwardRow> wanted = range_rows(*tunnel, plus(base, kRangeOffset));
  std::vector<ForwardRow> added;
  for (const ForwardRow& row : wanted) {
    const std::uint32_t result = platform_.ip_helper.create_forward_entry(row);
    if (result == 0) {
      added.push_back(row);
    } else if (result != platform::kErrorObjectAlreadyExists) {
      log("路由被拒绝：" + dotted_address(row.dest) + "/" + dotted_address(row.mask) + "，跃点数" +
          std::to_string(row.metric1) + error_text(result));
    }
  }

  // The tunnel's default route must lose to the LAN's as the system compares them.
  ForwardRow lowered = *tunnel;
  lowered.metric1 = std::max(plus(base, kLosingOffset), plus(lan->metric1, 1));
  if (!set_row(lowered)) {
    // Ranges through a tunnel that still takes everything change nothing: leave no trace.
    for (const ForwardRow& row : added) {
      if (const std::uint32_t result = platform_.ip_helper.delete_forward_entry(row)) {
        log("路由删除失败：" + dotted_address(row.dest) + "/" + dotted_address(row.mask) +
            error_text(result));
      }
    }
    log("部分中转未生效：已撤销添加的路由");
    return 0;
  }
  changed_ = Defaults{*tunnel, *lan};
  report_outcome(wanted, lowered);
  return 0;
}

int route::restore_routes() {
  if (!changed_) {
    log("部分中转未生效，路由表无需改回");
    return 0;
  }
  const Defaults found = *changed_;
  changed_.reset();
  set_row(found.tunnel);
  set_row(found.lan);
  return 0;
}

}  // namespace qvx
