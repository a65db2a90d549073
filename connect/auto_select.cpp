#include "connect/auto_select.h"

#include <algorithm>

#include "connect/cping.h"
#include "verify/client_record.h"

namespace qvx {

int choose_best_node(ClientRecord& record, _CPING& pinger) {
  long best_score = 10000000;
  int best = 1;
  const int count = std::min(record.node_count, kNodeSlots - 1);
  for (int node = 1; node <= count; ++node) {
    long score = 0;
    for (int probe = 0; probe < 2; ++probe) {
      ping_reply reply;
      score += pinger.ping(record.node_addresses[node], reply, 80, 1000, 32)
                   ? static_cast<long>(reply.round_trip_ms)
                   : kLostProbeScore;
    }
    if (score < best_score) {
      best_score = score;
      best = node;
    }
  }
  record.best_node = best;
  record.log_file.write("自动判断加速节点为：" + record.node_names[best], 0);
  return best;
}

}  // namespace qvx
