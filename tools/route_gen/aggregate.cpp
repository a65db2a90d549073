#include "aggregate.h"

#include <algorithm>

namespace qvx::route_gen {

std::vector<Range> normalise(std::vector<Range> ranges) {
  std::sort(ranges.begin(), ranges.end(),
            [](const Range& a, const Range& b) { return a.first < b.first; });
  std::vector<Range> out;
  for (const Range& r : ranges) {
    if (r.last < r.first) continue;
    if (!out.empty() && std::uint64_t{out.back().last} + 1 >= r.first) {
      out.back().last = std::max(out.back().last, r.last);
    } else {
      out.push_back(r);
    }
  }
  return out;
}

std::vector<Block> cidr_cover(const std::vector<Range>& ranges) {
  std::vector<Block> out;
  for (const Range& r : ranges) {
    std::uint64_t at = r.first;
    const std::uint64_t end = std::uint64_t{r.last} + 1;
    while (at < end) {
      int prefix = 32;
      while (prefix > 0) {
        const std::uint64_t size = std::uint64_t{1} << (33 - prefix);
        if (at % size != 0 || at + size > end) break;
        --prefix;
      }
      out.push_back({static_cast<std::uint32_t>(at), prefix});
      at += std::uint64_t{1} << (32 - prefix);
    }
  }
  return out;
}

std::uint64_t owned_inside(const std::vector<Range>& ranges, const Block& block) {
  const std::uint64_t lo = block.base, hi = std::uint64_t{block.base} + block.size() - 1;
  auto it = std::lower_bound(ranges.begin(), ranges.end(), lo,
                             [](const Range& r, std::uint64_t v) { return r.last < v; });
  std::uint64_t n = 0;
  for (; it != ranges.end() && it->first <= hi; ++it) {
    n += std::min<std::uint64_t>(it->last, hi) - std::max<std::uint64_t>(it->first, lo) + 1;
  }
  return n;
}

namespace {

// The smallest block holding both.
Block common_block(const Block& a, const Block& b) {
  int prefix = std::min(a.prefix, b.prefix);
  while (prefix > 0) {
    const std::uint32_t mask = prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix);
    if ((a.base & mask) == (b.base & mask)) break;
    --prefix;
  }
  const std::uint32_t mask = prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - prefix);
  return {a.base & mask, prefix};
}

bool inside(const Block& inner, const Block& outer) {
  return inner.base >= outer.base && inner.last() <= outer.last();
}

}  // namespace

namespace {

struct Merge {
  double cost = 0;  // foreign addresses added per block saved
  std::size_t lo = 0, hi = 0;
  Block block;
  std::uint64_t foreign = 0;
};

Merge merge_at(const std::vector<Range>& ranges, const std::vector<Block>& blocks,
               const std::vector<std::uint64_t>& foreign, std::size_t i) {
  Merge m;
  m.block = common_block(blocks[i], blocks[i + 1]);
  m.lo = i;
  m.hi = i + 1;
  while (m.lo > 0 && inside(blocks[m.lo - 1], m.block)) --m.lo;
  while (m.hi + 1 < blocks.size() && inside(blocks[m.hi + 1], m.block)) ++m.hi;
  std::uint64_t old_foreign = 0;
  for (std::size_t k = m.lo; k <= m.hi; ++k) old_foreign += foreign[k];
  m.foreign = m.block.size() - owned_inside(ranges, m.block);
  m.cost = double(m.foreign - old_foreign) / double(m.hi - m.lo);
  return m;
}

}  // namespace

std::vector<Block> aggregate(const std::vector<Range>& ranges, std::size_t max_blocks) {
  std::vector<Block> blocks = cidr_cover(ranges);
  std::vector<std::uint64_t> foreign(blocks.size(), 0);
  std::vector<double> cost;
  for (std::size_t i = 0; i + 1 < blocks.size(); ++i) {
    cost.push_back(merge_at(ranges, blocks, foreign, i).cost);
  }
  while (blocks.size() > max_blocks && blocks.size() > 1) {
    // Costs are refreshed lazily: the cheapest is checked afresh before it is taken.
    const std::size_t i =
        static_cast<std::size_t>(std::min_element(cost.begin(), cost.end()) - cost.begin());
    const Merge m = merge_at(ranges, blocks, foreign, i);
    if (m.cost != cost[i]) {
      cost[i] = m.cost;
      continue;
    }
    const auto first = static_cast<long>(m.lo) + 1, last = static_cast<long>(m.hi) + 1;
    blocks.erase(blocks.begin() + first, blocks.begin() + last);
    foreign.erase(foreign.begin() + first, foreign.begin() + last);
    cost.erase(cost.begin() + first - 1, cost.begin() + last - 1);
    blocks[m.lo] = m.block;
    foreign[m.lo] = m.foreign;
    const std::size_t from = m.lo > 8 ? m.lo - 8 : 0;
    for (std::size_t k = from; k < std::min(cost.size(), m.lo + 8); ++k) {
      cost[k] = merge_at(ranges, blocks, foreign, k).cost;
    }
  }
  return blocks;
}

Report measure(const std::vector<Range>& ranges, const std::vector<Block>& blocks) {
  Report r;
  for (const Range& range : ranges) r.owned += std::uint64_t{range.last} - range.first + 1;
  for (const Block& b : blocks) {
    r.covered += b.size();
    r.owned_covered += owned_inside(ranges, b);
  }
  return r;
}

std::string route_row(const Block& block) {
  const std::uint32_t mask = block.prefix == 0 ? 0 : ~std::uint32_t{0} << (32 - block.prefix);
  std::string out;
  for (std::uint32_t v : {block.base, block.last(), mask}) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      if (!out.empty()) out += ' ';
      out += std::to_string(v >> shift & 0xFF);
    }
  }
  return out;
}

}  // namespace qvx::route_gen
