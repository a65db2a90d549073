// QVX-UNBUILT: comes with the routing work.
#include "routing/route.h"

namespace qvx {
route::route(const platform::Platform& platform) : platform_(platform) {}
route::~route() = default;
void route::load(const std::string&) {}
int route::identify_network(const std::string&) { return own_network = NO_NETWORK; }
int route::add_route(const std::string&, const std::string&, int) { return 0; }
int route::set_route(const std::string&, const std::string&, int, int) { return 0; }
int route::apply_partial_relay(const std::string&, int) { return 0; }
int route::restore_routes(int, int) { return 0; }
std::string network_name(int) { return "未知网络"; }
}  // namespace qvx
