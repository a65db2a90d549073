// Changing a default route's metric, read back every time. SetIpForwardEntry's page lists
// dwForwardMetric1 among the members it does not currently use, and some machines answer
// NO_ERROR and keep the old metric; then the documented other ways: SetIpForwardEntry2, which
// takes the route's own part of the metric (learn.microsoft.com, netioapi.h), and failing that
// deleting the row and creating it anew.
#include "routing/route.h"

namespace qvx {
namespace {

using platform::ForwardRow;

constexpr std::uint32_t kNetMgmt = 3;  // MIB_IPPROTO_NETMGMT, required of callers

std::string error_text(std::uint32_t code) {
  return "，错误编号：" + std::to_string(code);
}

std::string row_text(const ForwardRow& row) {
  return "接口" + std::to_string(row.if_index) + "，跃点数" + std::to_string(row.metric1);
}

bool same_route(const ForwardRow& a, const ForwardRow& b) {
  return a.dest == b.dest && a.mask == b.mask && a.if_index == b.if_index &&
         a.next_hop == b.next_hop;
}

}  // namespace

// The row the table holds now for like's destination, mask, interface and next hop.
std::optional<ForwardRow> route::read_row(const ForwardRow& like) {
  std::vector<ForwardRow> table;
  if (const std::uint32_t result = platform_.ip_helper.forward_table(table); result != 0) {
    log("默认路由跃点数无法确认：读取路由表失败" + error_text(result));
    return std::nullopt;
  }
  for (const ForwardRow& r : table) {
    if (same_route(r, like)) return r;
  }
  return std::nullopt;
}

// True when the table shows the row with its metric, or cannot be read: an unknown outcome is
// no reason to delete a route.
bool route::shows(const ForwardRow& row) {
  std::vector<ForwardRow> table;
  if (platform_.ip_helper.forward_table(table) != 0) return true;
  for (const ForwardRow& r : table) {
    if (same_route(r, row)) return r.metric1 == row.metric1;
  }
  return false;
}

bool route::set_row(const ForwardRow& row) {
  ForwardRow request = row;
  request.proto = kNetMgmt;
  const std::uint32_t result = platform_.ip_helper.set_forward_entry(request);
  if (result != 0) {
    log("默认路由修改被拒绝：" + row_text(row) + error_text(result));
    return false;
  }
  if (shows(row)) return true;
  log("默认路由跃点数未被修改（" + row_text(row) + "），改用SetIpForwardEntry2");
  return set_metric2(request) || replace_row(request);
}

// The metric the table shows is the interface metric plus the route's own (MIB_IPFORWARD_ROW2).
bool route::set_metric2(const ForwardRow& row) {
  std::uint32_t interface_metric = 0;
  if (platform_.ip_helper.interface_metric(row.if_index, interface_metric) != 0) {
    interface_metric = 0;
  }
  const std::uint32_t own = row.metric1 > interface_metric ? row.metric1 - interface_metric : 0;
  const std::uint32_t result = platform_.ip_helper.set_route_metric2(row, own);
  if (result == 0 && shows(row)) {
    log("已用SetIpForwardEntry2修改默认路由：" + row_text(row));
    return true;
  }
  log((result == 0 ? std::string("SetIpForwardEntry2未生效")
                   : "SetIpForwardEntry2失败" + error_text(result)) +
      "，改为删除后重建默认路由");
  return false;
}

// Deletes the row as it is and creates it with the new metric; a refused create puts the old
// row back, so the interface never stays without its default route.
bool route::replace_row(const ForwardRow& row) {
  const std::optional<ForwardRow> now = read_row(row);
  if (!now) {
    log("默认路由已不在路由表中：" + row_text(row));
    return false;
  }
  ForwardRow old_row = *now;
  old_row.proto = kNetMgmt;
  if (const std::uint32_t result = platform_.ip_helper.delete_forward_entry(old_row)) {
    log("删除默认路由失败：" + row_text(old_row) + error_text(result));
    return false;
  }
  const std::uint32_t created = platform_.ip_helper.create_forward_entry(row);
  if (created == 0 && shows(row)) {
    log("已删除并重建默认路由：" + row_text(row));
    return true;
  }
  if (created == 0) {
    // Created but not as asked: the new row goes, the old one comes back.
    platform_.ip_helper.delete_forward_entry(row);
  }
  log("重建默认路由失败" + (created ? error_text(created) : std::string("（跃点数不符）")) +
      "，恢复原默认路由");
  if (const std::uint32_t result = platform_.ip_helper.create_forward_entry(old_row)) {
    log("原默认路由恢复失败：" + row_text(old_row) + error_text(result));
  }
  return false;
}

}  // namespace qvx
