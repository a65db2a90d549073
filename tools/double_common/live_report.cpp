#include "tools/double_common/live_report.h"

#include "tools/double_common/files.h"

namespace double_common {

void LiveReport::write(const LiveCounts& counts) {
  std::string line;
  for (const auto& [name, value] : counts) {
    line += (line.empty() ? "" : " ") + name + "=" + std::to_string(value);
  }
  if (line == written_) return;
  replace_file(path(file_name_), line + "\n");
  written_ = line;
}

}  // namespace double_common
