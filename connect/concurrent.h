// Runs independent jobs side by side and waits for all of them.
#pragma once
#include <system_error>
#include <thread>
#include <vector>

namespace qvx {

// Calls job(0) .. job(count - 1), each on a thread of its own, and returns when all have
// returned. A job whose thread cannot be created runs on the calling thread instead, so every
// job runs exactly once whatever the system allows.
template <typename Job>
void run_concurrently(int count, const Job& job) {
  if (count == 1) return job(0);  // nothing to overlap with
  std::vector<std::thread> threads;
  threads.reserve(static_cast<std::size_t>(count > 0 ? count : 0));
  for (int i = 0; i < count; ++i) {
    try {
      threads.emplace_back([&job, i] { job(i); });
    } catch (const std::system_error&) {
      job(i);
    }
  }
  for (std::thread& t : threads) t.join();
}

}  // namespace qvx
