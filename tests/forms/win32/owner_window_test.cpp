// The hidden owner window: message-only, out of reach of other programs' broadcasts and of window
// enumeration, and its wake-up message carries no work of its own.
#include <atomic>
#include <thread>

#include "runtime/forms/gui_queue.h"
#include "tests/forms/win32/forms_fixture.h"

namespace lq::test {
namespace {

std::atomic<int> g_stray_calls{0};
void StrayCall() { ++g_stray_calls; }

BOOL CALLBACK FindOwner(HWND hwnd, LPARAM found) {
  if (hwnd == OwnerWindow()) *reinterpret_cast<bool*>(found) = true;
  return TRUE;
}

TEST_F(FormsWin32, TheOwnerWindowIsMessageOnly) {
  HWND owner = OwnerWindow();
  ASSERT_NE(owner, nullptr);
  EXPECT_EQ(FindWindowExW(HWND_MESSAGE, nullptr, L"LQOwner", nullptr), owner);
  bool enumerated = false;
  EnumWindows(&FindOwner, reinterpret_cast<LPARAM>(&enumerated));
  EXPECT_FALSE(enumerated);
}

TEST_F(FormsWin32, WorkFromAWorkerRunsOnTheGuiThreadNotFromAMessage) {
  // A message that names a function, as another program could send it, runs nothing but the
  // queue, which is empty.
  SendMessageW(OwnerWindow(), kGuiWorkMessage, reinterpret_cast<WPARAM>(&StrayCall), 0);
  SendMessageTimeoutW(HWND_BROADCAST, kGuiWorkMessage, reinterpret_cast<WPARAM>(&StrayCall), 0,
                      SMTO_ABORTIFHUNG, 1000, nullptr);
  EXPECT_EQ(g_stray_calls, 0);

  const DWORD gui_thread = GetCurrentThreadId();
  std::atomic<DWORD> ran_on{0};
  std::thread worker([&ran_on] { PostToGuiThread([&ran_on] { ran_on = GetCurrentThreadId(); }); });
  worker.join();
  ASSERT_TRUE(PumpUntil([&] { return ran_on.load() != 0; }));
  EXPECT_EQ(ran_on, gui_thread);
}

}  // namespace
}  // namespace lq::test
