// The speed test's figures: each node's average and loss, the order best first and the bars.
#pragma once
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "nettest/speed_rounds.h"

namespace qvx::nettest {

// The mean round trip of the replies, rounded; nothing without a reply.
std::optional<std::uint32_t> average_ms(const NodeResult& result);
// The share of requests without a reply, in whole percent, rounded.
int loss_percent(const NodeResult& result);

// Best first, by the automatic choice's measure: the round trips with a lost request counted as
// one second, per request sent. Equal nodes keep the list's order.
void rank(std::vector<NodeResult>& results);

// One table row, GBK: "name<TAB>address<TAB>average<TAB>loss", average "12" or "超时", loss "20%".
std::string table_row(const NodeResult& result);

// Each node's bar in pixels, for a chart full_width wide: the slowest reply fills it, and a
// node without a reply gets none.
std::vector<int> bar_widths(const std::vector<NodeResult>& results, int full_width);

}  // namespace qvx::nettest
