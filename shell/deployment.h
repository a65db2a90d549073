// Where the service lives: built in from the CMake cache, replaceable by tests.
#pragma once
#include <array>
#include <string>

namespace qvx {

struct ServerEntry {
  std::string host;  // echo target: dotted IPv4 or host name
  std::string port;  // optional, for the request URLs only
  std::string authority() const { return port.empty() ? host : host + ":" + port; }
};

struct Deployment {
  std::string vendor_base_url;         // scheme and host, no trailing slash
  std::string vendor_host;             // host without scheme
  std::array<ServerEntry, 3> servers;  // server 3 shares the host of server 1
  std::string mask_table;              // images of "0123456789ABCDEF", in order

  static Deployment built_in();
  static ServerEntry parse_server(const std::string& host_and_port);
};

}  // namespace qvx
