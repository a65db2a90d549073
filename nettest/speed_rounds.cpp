#include "nettest/speed_rounds.h"

#include <string>

#include "connect/auto_select.h"
#include "connect/concurrent.h"

namespace qvx::nettest {

std::optional<std::vector<NodeResult>> measure_nodes(const std::vector<Node>& nodes, _CPING& pinger,
                                                     int rounds,
                                                     const std::function<void(int)>& on_round,
                                                     const std::atomic<bool>& stop) {
  if (!pinger.load_icmp()) return std::nullopt;
  const int count = static_cast<int>(nodes.size());
  std::vector<NodeResult> results(nodes.size());
  std::vector<std::optional<std::uint32_t>> addresses(nodes.size());
  for (int round = 0; round < rounds; ++round) {
    if (stop) return std::nullopt;
    run_concurrently(count, [&](int k) {
      const std::size_t i = static_cast<std::size_t>(k);
      NodeResult& result = results[i];
      // A name is resolved once, in the first round, on the node's own thread.
      std::string error;
      if (round == 0) {
        result.node = nodes[i];
        addresses[i] = pinger.address_of(nodes[i].address, &error);
      }
      ++result.sent;
      ping_reply reply;
      if (addresses[i] &&
          pinger.echo(*addresses[i], reply, kProbeTtl, kProbeTimeoutMs, kProbeBytes, &error)) {
        ++result.received;
        result.reply_ms += reply.round_trip_ms;
      }
    });
    if (on_round) on_round(round + 1);
  }
  return results;
}

}  // namespace qvx::nettest
