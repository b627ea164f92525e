// The one way to start a thread: the work runs, an exception stays in its thread, Join waits for
// the work, and a Thread that loses its owner runs on.
#include "runtime/platform/thread.h"

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <stdexcept>
#include <thread>

namespace lq::platform {
namespace {

void WaitFor(const std::atomic<int>& count, int value) {
  while (count.load() < value) std::this_thread::yield();
}

std::atomic<int> g_started{0};
std::atomic<int> g_ended{0};
// Goes with a thread's work: its end tells that the thread is past the throw. The test waits for
// that, as a process that ends while one of its threads is still unwinding can hang in its exit.
struct WorkEnd {
  ~WorkEnd() { ++g_ended; }
};

TEST(Thread, AnExceptionEndsOnlyItsOwnThread) {
  for (int i = 0; i < 2; ++i) {
    ASSERT_TRUE(Thread::Start([end = std::make_shared<WorkEnd>()] {
      ++g_started;
      throw std::runtime_error("not past the start routine");
    }));
  }
  WaitFor(g_ended, 2);
  EXPECT_EQ(g_started, 2);
}

TEST(Thread, JoinWaitsForTheWorkAndAnOwnerlessThreadRunsOn) {
  std::atomic<int> go{0};
  std::atomic<int> joined_done{0};
  std::atomic<int> dropped_done{0};
  Thread joined = Thread::Start([&] {
    WaitFor(go, 1);
    ++joined_done;
  });
  ASSERT_TRUE(joined);
  Thread dropped = Thread::Start([&] {
    WaitFor(go, 1);
    ++dropped_done;
  });
  ASSERT_TRUE(dropped);
  dropped = Thread();  // lets it go; it waits for `go` all the same
  go = 1;
  joined.Join();
  EXPECT_FALSE(joined);
  EXPECT_EQ(joined_done.load(), 1);
  WaitFor(dropped_done, 1);
}

}  // namespace
}  // namespace lq::platform
