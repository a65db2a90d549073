// C runtime text-mode line ends: "\n" in memory, CR LF on disk.
#pragma once
#include <string>

namespace qvx::platform {

std::string to_disk_text(const std::string& text);     // LF -> CR LF
std::string from_disk_text(const std::string& bytes);  // CR LF -> LF

}  // namespace qvx::platform
