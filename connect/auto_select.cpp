#include "connect/auto_select.h"

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "connect/concurrent.h"

namespace qvx {

namespace {

constexpr int kProbesPerNode = 2;

struct NodeProbes {
  std::uint64_t score = 0;
  std::array<std::string, kProbesPerNode> errors;  // the box text of each failed probe
};

// One node's probes, one after the other, as a sequential choice would send them; the name is
// resolved once and its failure stands for every probe.
NodeProbes probe_node(_CPING& pinger, const std::string& host) {
  NodeProbes result;
  std::string resolve_error;
  const auto address = pinger.address_of(host, &resolve_error);
  for (int probe = 0; probe < kProbesPerNode; ++probe) {
    ping_reply reply;
    std::string& error = result.errors[static_cast<std::size_t>(probe)];
    error = resolve_error;
    const bool ok =
        address && pinger.echo(*address, reply, kProbeTtl, kProbeTimeoutMs, kProbeBytes, &error);
    result.score += ok ? reply.round_trip_ms : kLostProbeScore;
  }
  return result;
}

}  // namespace

int choose_best_node(ClientRecord& record, _CPING& pinger) {
  // A node list that claims more nodes than the arrays hold is probed only as far as they go.
  const int nodes = std::clamp(record.node_count, 0, kNodeSlots - 1);
  std::vector<NodeProbes> probes(static_cast<std::size_t>(nodes) + 1);
  // Without the library every probe fails at once: all nodes score alike and node 1 stays.
  if (nodes > 0 && pinger.load_icmp()) {
    // All nodes at once: the choice takes one node's probes, not the sum of them.
    run_concurrently(nodes, [&](int k) {
      probes[static_cast<std::size_t>(k) + 1] = probe_node(pinger, record.node_addresses[k + 1]);
    });
  }

  std::uint64_t best_score = 10000000;
  int best = 1;
  for (int i = 1; i <= nodes; ++i) {
    const NodeProbes& node = probes[static_cast<std::size_t>(i)];
    // The boxes a failed probe brings, in node order, on the calling thread.
    for (const std::string& error : node.errors) {
      if (!error.empty()) pinger.show_error(error);
    }
    if (node.score < best_score) {
      best_score = node.score;
      best = i;
    }
  }
  record.best_node = best;
  record.log_file.write("自动判断加速节点为：" + record.node_names[best], 0);
  return best;
}

}  // namespace qvx
