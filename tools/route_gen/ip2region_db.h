// Reader for the v1 ip2region database: a super block of two index pointers, 12-byte index
// entries (first address, last address, data pointer: offset in the low 24 bits, length in
// the high 8), and data records of a 4-byte city id and the region text
// "country|area|province|city|ISP" in UTF-8.
#pragma once
#include <optional>
#include <string>
#include <vector>

#include "aggregate.h"

namespace qvx::route_gen {

struct RegionRange {
  Range range;
  std::string region;
};

// Nothing when the bytes are not a database of this form.
std::optional<std::vector<RegionRange>> read_ip2region(const std::string& bytes);

// Which of the three networks a region text belongs to: 0 CHINANET, 1 CNC, 2 CERNET, -1 none.
int network_of(const std::string& region);

}  // namespace qvx::route_gen
