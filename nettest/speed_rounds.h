// The speed test's measurement: rounds of echo requests, each round to every node at once, as
// the automatic node choice probes them.
#pragma once
#include <atomic>
#include <cstdint>
#include <functional>
#include <optional>
#include <vector>

#include "connect/cping.h"
#include "nettest/node_list_file.h"

namespace qvx::nettest {

constexpr int kRounds = 5;

struct NodeResult {
  Node node;
  int sent = 0;
  int received = 0;
  std::uint64_t reply_ms = 0;  // the round trips of the replies, summed
};

// Measures every node rounds times; after each round on_round gets the number of rounds done
// (from a worker's thread). A node whose address does not resolve loses every request.
// Nothing when the ICMP library cannot be used (its box has been shown) or when stop was set;
// stop is looked at between rounds.
std::optional<std::vector<NodeResult>> measure_nodes(const std::vector<Node>& nodes, _CPING& pinger,
                                                     int rounds,
                                                     const std::function<void(int)>& on_round,
                                                     const std::atomic<bool>& stop);

}  // namespace qvx::nettest
