// The test UI's hand-over between a worker and the GUI thread: every worker of the scenario
// tests waits in it, so a lost wake-up there shows up as a dial that never finishes.
#include <gtest/gtest.h>

#include <atomic>
#include <stdexcept>
#include <thread>

#include "widgets/headless/headless_ui.h"

namespace qvx::widgets {
namespace {

TEST(HeadlessUiSync, ManySynchronizedCallsAllComeBack) {
  HeadlessUi ui;
  constexpr int kCalls = 20000;
  int ran_on_gui = 0;  // touched only on the GUI thread
  std::atomic<int> returned{0};
  std::thread worker([&] {
    for (int i = 0; i < kCalls; ++i) {
      ui.synchronize([&] { ++ran_on_gui; });
      returned.fetch_add(1);
    }
  });
  const bool all = ui.pump_until([&] { return returned.load() == kCalls; }, 60000);
  if (!all) ui.shutdown();  // frees a worker that missed its wake-up
  worker.join();
  EXPECT_TRUE(all) << "the worker waited after its task ran; returned " << returned.load();
  EXPECT_EQ(ran_on_gui, returned.load());
}

TEST(HeadlessUiSync, AnExceptionOnTheGuiThreadReachesTheWorker) {
  HeadlessUi ui;
  std::atomic<bool> caught{false};
  std::thread worker([&] {
    try {
      ui.synchronize([] { throw std::runtime_error("gui side"); });
    } catch (const std::runtime_error&) {
      caught = true;
    }
  });
  EXPECT_TRUE(ui.pump_until([&] { return caught.load(); }));
  ui.shutdown();
  worker.join();
}

// Whether the shutdown comes before or after the task is queued, the worker returns and the
// task never runs.
TEST(HeadlessUiSync, ShutdownFreesAWaiterWithoutRunningItsTask) {
  HeadlessUi ui;
  std::atomic<bool> ran{false};
  std::thread worker([&] { ui.synchronize([&] { ran = true; }); });
  std::this_thread::sleep_for(std::chrono::milliseconds(20));
  ui.shutdown();
  worker.join();
  EXPECT_FALSE(ran);
}

}  // namespace
}  // namespace qvx::widgets
