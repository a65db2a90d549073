// Runs independent jobs side by side and waits for all of them.
#pragma once
#include <exception>
#include <system_error>
#include <thread>
#include <vector>

namespace qvx {

// Calls job(0) .. job(count - 1), each on a thread of its own, and returns when all have
// returned. A job whose thread cannot be created runs on the calling thread instead, so every
// job runs exactly once whatever the system allows. An exception of a job waits for the others
// and is then thrown on the calling thread (the first in job order), never on the job's own.
template <typename Job>
void run_concurrently(int count, const Job& job) {
  if (count == 1) return job(0);  // nothing to overlap with
  const std::size_t jobs = static_cast<std::size_t>(count > 0 ? count : 0);
  std::vector<std::exception_ptr> failures(jobs);
  const auto guarded = [&job, &failures](int i) {
    try {
      job(i);
    } catch (...) {
      failures[static_cast<std::size_t>(i)] = std::current_exception();
    }
  };
  std::vector<std::thread> threads;
  threads.reserve(jobs);
  for (int i = 0; i < count; ++i) {
    try {
      threads.emplace_back(guarded, i);
    } catch (const std::system_error&) {
      guarded(i);
    }
  }
  for (std::thread& t : threads) t.join();
  for (const std::exception_ptr& failure : failures) {
    if (failure) std::rethrow_exception(failure);
  }
}

}  // namespace qvx
