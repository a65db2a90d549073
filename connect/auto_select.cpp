#include "connect/auto_select.h"

#include <algorithm>

namespace qvx {

namespace {

constexpr std::uint8_t kProbeTtl = 80;
constexpr std::uint32_t kProbeTimeoutMs = 1000;
constexpr std::uint8_t kProbeBytes = 32;
constexpr std::uint64_t kLostProbeScore = 1000;
constexpr int kProbesPerNode = 2;

}  // namespace

int choose_best_node(ClientRecord& record, _CPING& pinger) {
  // A node list that claims more nodes than the arrays hold is probed only as far as they go.
  const int nodes = std::min(record.node_count, kNodeSlots - 1);
  std::uint64_t best_score = 10000000;
  int best = 1;
  for (int i = 1; i <= nodes; ++i) {
    std::uint64_t score = 0;
    for (int probe = 0; probe < kProbesPerNode; ++probe) {
      ping_reply reply;
      score += pinger.ping(record.node_addresses[i], reply, kProbeTtl, kProbeTimeoutMs, kProbeBytes)
                   ? reply.round_trip_ms
                   : kLostProbeScore;
    }
    if (score < best_score) {
      best_score = score;
      best = i;
    }
  }
  record.best_node = best;
  record.log_file.write("自动判断加速节点为：" + record.node_names[best], 0);
  return best;
}

}  // namespace qvx
