// A thread started with a lookup is created by the CreateThread that the lookup gives.
#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>

#include "runtime/platform/thread.h"

namespace lq::platform {
namespace {

std::atomic<int> g_created{0};

HANDLE WINAPI CountedCreateThread(LPSECURITY_ATTRIBUTES security, SIZE_T stack,
                                  LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags,
                                  LPDWORD id) {
  ++g_created;
  return CreateThread(security, stack, start, parameter, flags, id);
}

FunctionAddress LookUpCreateThread() {
  return reinterpret_cast<FunctionAddress>(&CountedCreateThread);
}

TEST(Thread, ALookupsCreateThreadStartsIt) {
  std::atomic<int> ran{0};
  Thread thread = Thread::Start([&ran] { ++ran; }, &LookUpCreateThread);
  ASSERT_TRUE(thread);
  thread.Join();
  EXPECT_EQ(ran.load(), 1);
  EXPECT_EQ(g_created.load(), 1);
}

}  // namespace
}  // namespace lq::platform
