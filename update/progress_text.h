// The download's progress as the progress window shows it.
#pragma once
#include <cstdint>
#include <string>

namespace qvx::update {

// 0..100; 0 while the total is unknown.
int progress_percent(std::uint64_t done, std::uint64_t total);
// "已下载 1,234 KB / 5,678 KB，速度 123.4 KB/s"; the speed over the whole download so far.
std::string progress_text(std::uint64_t done, std::uint64_t total, std::uint64_t elapsed_ms);

}  // namespace qvx::update
