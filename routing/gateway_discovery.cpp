#include "shell/application.h"
#include "shell/unit1.h"

namespace qvx {
namespace {

bool acceptable_gateway(const std::string& text) {
  return text != "0.0.0.0" && (text.empty() || text[0] != '.');
}

}  // namespace

// The local adapter is the one holding local_ip; the tunnel is the adapter above index 5000.
void TForm1::discover_gateways() {
  std::vector<platform::Adapter> adapters;
  if (app.platform.ip_helper.adapters(adapters)) {
    for (const platform::Adapter& adapter : adapters) {
      for (const std::string& address : adapter.addresses) {
        if (address == local_ip) {
          local_gateway_if = static_cast<int>(adapter.index);
          break;
        }
      }
    }
    for (const platform::Adapter& adapter : adapters) {
      for (const std::string& gateway : adapter.gateways) {
        if (!acceptable_gateway(gateway)) continue;
        if (adapter.index > 5000) {
          server_gateway_if = static_cast<int>(adapter.index);
          server_gateway = gateway;
          break;
        }
        if (static_cast<int>(adapter.index) == local_gateway_if) {
          local_gateway = gateway;
          break;
        }
      }
    }
  }
  write_log("获得本地默认网关为：" + local_gateway);
  write_log("获得本地默认网关对应的设备接口为：" + std::to_string(local_gateway_if));
  write_log("获得加速服务器网关为：" + server_gateway);
  write_log("获得加速服务器网关对应的设备接口为：" + std::to_string(server_gateway_if));
}

}  // namespace qvx
