// The automatic choice of an acceleration node: every node is probed twice and the lowest
// sum of round trips wins, a lost probe counting as one second.
#pragma once
#include "connect/cping.h"
#include "verify/client_record.h"

namespace qvx {

// One probe of a node, as the choice and the speed test send it.
constexpr std::uint8_t kProbeTtl = 80;
constexpr std::uint32_t kProbeTimeoutMs = 1000;
constexpr std::uint8_t kProbeBytes = 32;
// What a lost probe adds to a node's score.
constexpr std::uint64_t kLostProbeScore = 1000;

// Stores the chosen node number in record.best_node (1 when there is no node), writes the
// run-log line and returns the number.
int choose_best_node(ClientRecord& record, _CPING& pinger);

}  // namespace qvx
