#include "nettest/node_ranking.h"

#include <algorithm>

#include "connect/auto_select.h"

namespace qvx::nettest {

namespace {

// Per request, in thousandths of a millisecond, so that rounding does not tie near nodes.
std::uint64_t score(const NodeResult& result) {
  if (result.sent == 0) return kLostProbeScore * 1000;
  const std::uint64_t lost = static_cast<std::uint64_t>(result.sent - result.received);
  return (result.reply_ms + lost * kLostProbeScore) * 1000 /
         static_cast<std::uint64_t>(result.sent);
}

}  // namespace

std::optional<std::uint32_t> average_ms(const NodeResult& result) {
  if (result.received <= 0) return std::nullopt;
  const std::uint64_t n = static_cast<std::uint64_t>(result.received);
  return static_cast<std::uint32_t>((result.reply_ms + n / 2) / n);
}

int loss_percent(const NodeResult& result) {
  if (result.sent <= 0) return 100;
  const int lost = result.sent - result.received;
  return (lost * 100 + result.sent / 2) / result.sent;
}

void rank(std::vector<NodeResult>& results) {
  std::stable_sort(results.begin(), results.end(),
                   [](const NodeResult& a, const NodeResult& b) { return score(a) < score(b); });
}

std::string table_row(const NodeResult& result) {
  const auto average = average_ms(result);
  return result.node.name + "\t" + result.node.address + "\t" +
         (average ? std::to_string(*average) : std::string("超时")) + "\t" +
         std::to_string(loss_percent(result)) + "%";
}

std::vector<int> bar_widths(const std::vector<NodeResult>& results, int full_width) {
  std::uint32_t slowest = 0;
  for (const NodeResult& result : results)
    slowest = std::max(slowest, average_ms(result).value_or(0));
  std::vector<int> widths;
  for (const NodeResult& result : results) {
    const auto average = average_ms(result);
    if (!average) {
      widths.push_back(0);
      continue;
    }
    // A reply of 0 ms still shows a sliver, so it is not taken for a silent node.
    const int width = slowest == 0
                          ? 1
                          : static_cast<int>(std::uint64_t{*average} *
                                             static_cast<std::uint64_t>(full_width) / slowest);
    widths.push_back(std::max(width, 1));
  }
  return widths;
}

}  // namespace qvx::nettest
