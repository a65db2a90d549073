#include <chrono>

#include "routing/lan_choice.h"
#include "routing/route.h"
#include "routing/tunnel_choice.h"
#include "shell/application.h"
#include "shell/unit1.h"

namespace qvx {
namespace {

// A tunnel adapter may get its address a moment after the dial returns.
constexpr int kAddressTries = 10;
constexpr std::chrono::milliseconds kAddressWait{500};

std::string error_text(std::uint32_t code) {
  return "，错误编号：" + std::to_string(code);
}

}  // namespace

// The adapter holding local_ip and its first usable gateway.
void TForm1::find_local_by_address(const std::vector<platform::Adapter>& adapters,
                                   const platform::Adapter* tunnel) {
  for (const platform::Adapter& adapter : adapters) {
    for (const std::string& address : adapter.addresses) {
      if (address == local_ip) {
        local_gateway_if = static_cast<int>(adapter.index);
        break;
      }
    }
  }
  for (const platform::Adapter& adapter : adapters) {
    if (static_cast<int>(adapter.index) != local_gateway_if || &adapter == tunnel) continue;
    for (const std::string& gateway : adapter.gateways) {
      if (acceptable_gateway(gateway)) {
        local_gateway = gateway;
        break;
      }
    }
  }
}

// The tunnel is found by the address the connection was given (see choose_tunnel). A tunnel
// not found leaves no interface behind: an index kept from an earlier connection may name
// another interface by now.
void TForm1::discover_gateways() {
  std::string projected, server;
  const std::uint32_t projection =
      app.platform.ras.ip_projection(ras_connection, projected, server);
  if (projection != 0) {
    projected.clear();
    write_log("获取加速连接地址失败" + error_text(projection));
  }

  std::vector<platform::Adapter> adapters;
  TunnelChoice tunnel;
  for (int attempt = 1; attempt <= kAddressTries; ++attempt) {
    if (!app.platform.ip_helper.adapters(adapters)) adapters.clear();
    tunnel = choose_tunnel(adapters, projected);
    if (tunnel.outcome != TunnelChoice::Outcome::NoAddressYet || attempt == kAddressTries) break;
    app.platform.clock.pause(kAddressWait);
  }

  // The LAN is the best default route beside the tunnel. Without the tunnel (or the table)
  // it is the adapter the login found it at.
  std::optional<Lan> lan;
  std::vector<platform::ForwardRow> table;
  if (tunnel.adapter && app.platform.ip_helper.forward_table(table) == 0) {
    lan = choose_lan(table, adapters, tunnel.adapter->index);
  }
  if (lan) {
    local_gateway_if = static_cast<int>(lan->route.if_index);
    const std::string hop = dotted_address(lan->route.next_hop);
    local_gateway = acceptable_gateway(hop) ? hop : "";
  } else {
    find_local_by_address(adapters, tunnel.adapter);
  }

  switch (tunnel.outcome) {
    case TunnelChoice::Outcome::ByAddress:
    case TunnelChoice::Outcome::ByPppType:
    case TunnelChoice::Outcome::ByIndex:
      server_gateway_if = static_cast<int>(tunnel.adapter->index);
      server_gateway = tunnel.gateway;
      break;
    case TunnelChoice::Outcome::NoAddressYet:
      write_log("未找到地址为" + projected + "的加速连接网卡");
      break;
    case TunnelChoice::Outcome::SeveralPpp:
      write_log("发现多个拨号连接，无法确定加速连接网卡");
      break;
    case TunnelChoice::Outcome::NotFound:
      write_log("未找到加速连接网卡");
      break;
  }
  if (tunnel.adapter == nullptr) {
    server_gateway_if = 0;
    server_gateway.clear();
  }
  write_log("获得本地默认网关为：" + local_gateway);
  write_log("获得本地默认网关对应的设备接口为：" + std::to_string(local_gateway_if));
  write_log("获得加速服务器网关为：" + server_gateway);
  write_log("获得加速服务器网关对应的设备接口为：" + std::to_string(server_gateway_if));
}

}  // namespace qvx
