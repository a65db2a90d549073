// The automatic node choice: two echoes to every node, the lowest total wins.
#pragma once

namespace qvx {

struct ClientRecord;
class _CPING;

constexpr int kLostProbeScore = 1000;

// Stores the chosen node in best_node, logs it, and returns it.
int choose_best_node(ClientRecord& record, _CPING& pinger);

}  // namespace qvx
