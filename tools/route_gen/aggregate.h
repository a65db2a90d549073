// Turns a network's address ranges into a bounded number of CIDR blocks, sweeping in as few
// foreign addresses as it can.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

namespace qvx::route_gen {

struct Range {
  std::uint32_t first = 0, last = 0;  // inclusive, host order
};

struct Block {
  std::uint32_t base = 0;
  int prefix = 32;
  std::uint64_t size() const { return std::uint64_t{1} << (32 - prefix); }
  std::uint32_t last() const { return static_cast<std::uint32_t>(base + size() - 1); }
};

// Sorts and joins overlapping or adjacent ranges.
std::vector<Range> normalise(std::vector<Range> ranges);
// The exact CIDR cover of normalised ranges, in address order.
std::vector<Block> cidr_cover(const std::vector<Range>& ranges);
// Addresses of the normalised ranges that lie inside the block.
std::uint64_t owned_inside(const std::vector<Range>& ranges, const Block& block);
// Merges blocks into common super-blocks until at most max_blocks remain, each time taking
// the merge that adds the fewest foreign addresses per block saved.
std::vector<Block> aggregate(const std::vector<Range>& ranges, std::size_t max_blocks);

struct Report {
  std::uint64_t owned = 0, covered = 0, owned_covered = 0;
  double coverage() const { return owned ? double(owned_covered) / double(owned) : 0; }
  double foreign_share() const {
    return covered ? double(covered - owned_covered) / double(covered) : 0;
  }
};
Report measure(const std::vector<Range>& ranges, const std::vector<Block>& blocks);

// One row of a route file: first address, last address, mask, as twelve decimal octets.
std::string route_row(const Block& block);

}  // namespace qvx::route_gen
