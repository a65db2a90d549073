#include "shell/deployment.h"

#include "deployment_values.h"

namespace qvx {

ServerEntry Deployment::parse_server(const std::string& host_and_port) {
  const auto colon = host_and_port.rfind(':');
  if (colon == std::string::npos) return {host_and_port, ""};
  return {host_and_port.substr(0, colon), host_and_port.substr(colon + 1)};
}

Deployment Deployment::built_in() {
  Deployment d;
  d.vendor_base_url = QVX_VENDOR_BASE_URL;
  d.vendor_host = QVX_VENDOR_HOST;
  d.servers[0] = parse_server(QVX_SERVER1);
  d.servers[1] = parse_server(QVX_SERVER2);
  d.servers[2] = d.servers[0];
  d.mask_table = QVX_MASK_TABLE;
  return d;
}

}  // namespace qvx
