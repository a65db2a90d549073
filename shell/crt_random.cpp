#include "shell/crt_random.h"

#include <mutex>

namespace qvx::crt {
namespace {
std::mutex g_mutex;
unsigned g_state = 1;
}  // namespace

void srand(unsigned seed) {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_state = seed;
}

int rand() {
  std::lock_guard<std::mutex> lock(g_mutex);
  g_state = g_state * 214013u + 2531011u;
  return static_cast<int>((g_state >> 16) & kRandMax);
}

}  // namespace qvx::crt
