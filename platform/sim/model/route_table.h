// The rules of the IPv4 routing-table functions over one machine. Each answers the Win32
// result code; `changed`, when given, receives the row as the table holds it afterwards (for
// a delete: the row removed), so that a caller can journal it.
#pragma once
#include "platform/sim/model/ip_machine.h"

namespace qvx::model {

using platform::ForwardRow;

std::uint32_t create_forward_entry(IpMachine& m, const ForwardRow& row);
std::uint32_t set_forward_entry(IpMachine& m, const ForwardRow& row, ForwardRow* changed = nullptr);
std::uint32_t delete_forward_entry(IpMachine& m, const ForwardRow& row,
                                   ForwardRow* removed = nullptr);
std::uint32_t get_forward_table(const IpMachine& m, std::vector<ForwardRow>& out);

// SetIpForwardEntry2 / GetIpForwardEntry2 with the row named by dest, mask, next_hop and
// if_index of `key`; route_metric is the route's own part of metric1.
std::uint32_t set_forward_entry2(IpMachine& m, const ForwardRow& key, std::uint32_t route_metric,
                                 ForwardRow* changed = nullptr);
std::uint32_t get_forward_entry2(const IpMachine& m, const ForwardRow& key, ForwardRow& out,
                                 std::uint32_t& route_metric);

// The profile lines' table edits: a row in place of the one with its name, or added; and
// removed by name. Names are dest, mask, next hop and interface.
void put_route(IpMachine& m, const ForwardRow& row);
void remove_route(IpMachine& m, const ForwardRow& row);

// The default route a dial with the remote default gateway brings: from Vista on on-link with
// the interface metric, on XP through the tunnel's gateway with metric 1.
ForwardRow dial_default_route(const IpMachine& m, const Adapter& tunnel);

}  // namespace qvx::model
