// What a double holds for its callers right now, for a test that watches from outside while
// the program runs: one line "name=N ...", the file replaced whole when a count changed. (The
// call log tells an idle program from a busy one.)
#pragma once
#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace double_common {

using LiveCounts = std::vector<std::pair<std::string, std::uint64_t>>;

class LiveReport {
 public:
  explicit LiveReport(std::string file_name) : file_name_(std::move(file_name)) {}
  // After a call: what the double holds now.
  void write(const LiveCounts& counts);

 private:
  std::string file_name_;
  std::string written_;
};

}  // namespace double_common
