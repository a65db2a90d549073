// A machine as text, one line per fact, as the IP Helper double journals it and as the
// machine profiles (tests/profiles/*.txt) are written. Lines:
//   profile vista|xp          (vista, the default: Windows Vista and later)
//   adapter INDEX addr=IP/MASK[,IP/MASK] gw=IP[,IP] [type=N] [metric=N] [tunnel]
//           [appear=after_query]
//   route DEST MASK NEXTHOP IFINDEX [metric1=N type= proto= age= policy= nexthopas= metric2..5=]
//           (in place of the route with the same DEST MASK NEXTHOP IFINDEX)
//   unroute DEST MASK NEXTHOP IFINDEX
//   ignore_set_metric 0|1     (SetIpForwardEntry keeps metric1)
//   modern_standby [0|1]      (a Modern Standby machine, for the power model)
//   code_page N               (the system ANSI code page, for the RAS model; 936 by default)
// Lines starting with # are comments.
#pragma once
#include <optional>
#include <string>

#include "platform/sim/model/ip_machine.h"

namespace qvx::model {

std::string dotted(std::uint32_t network_order);
std::uint32_t from_dotted(const std::string& text);

// Applies one line. False for a line that is no machine line (left to the caller); a route
// line's row is put in `route` when given.
bool apply_machine_line(IpMachine& m, const std::string& line,
                        std::optional<platform::ForwardRow>* route = nullptr);
// Lines that rebuild the machine.
std::string machine_lines(const IpMachine& m);
std::string route_line(const platform::ForwardRow& r);
std::string unroute_line(const platform::ForwardRow& r);
// Every line of a profile's text; the first line that is neither a machine line, a comment
// nor blank is an error: its number (from 1), or 0 when all were read.
int load_machine(IpMachine& m, const std::string& text);

}  // namespace qvx::model
