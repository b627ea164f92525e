// The Win32 window tests' fixture: the runtime started with the test windows, a recorder in front
// of the notification area, and helpers that pump messages and find windows.
#pragma once

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "runtime/forms/win32/forms_runtime.h"
#include "runtime/forms/win32/windows_ui.h"
#include "tests/forms/test_windows.h"

namespace lq::test {

struct TrayCall {
  DWORD message = 0;
  UINT id = 0;
  UINT flags = 0;
  UINT callback = 0;
  bool has_icon = false;
  std::wstring tip;
  bool window_shown = false;  // whether the icon's window was visible at the call
};
std::vector<TrayCall>& TrayCalls();

class FormsWin32 : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;
  // Stops and starts the runtime again (after a fatal report has ended it).
  void Restart();

 private:
  TrayNotifier previous_notifier_ = nullptr;
};

// Dispatches messages until `done` holds or the time is up; false on time-out.
template <class Done>
bool PumpUntil(Done done, DWORD timeoutMs = 5000) {
  const ULONGLONG deadline = GetTickCount64() + timeoutMs;
  for (;;) {
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchProgramMessage(message);
    if (done()) return true;
    if (GetTickCount64() > deadline) return false;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
  }
}
inline void Pump(DWORD ms) {
  PumpUntil([] { return false; }, ms);
}

// Waits (on a worker thread) for a visible top-level window of this process with that class and
// title (title null: any); null on time-out.
HWND WaitForWindow(const wchar_t* windowClass, const wchar_t* title, DWORD timeoutMs = 5000);

// The names in the event log that are among `names`, in order.
std::vector<std::string> EventsAmong(std::initializer_list<const char*> names);

std::wstring WindowTextOf(HWND hwnd);
bool HasStyle(HWND hwnd, LONG_PTR style);

// An icon file of one 16 x 16 image of 32 bits a pixel (1150 bytes).
std::vector<std::uint8_t> SmallIconFile();

}  // namespace lq::test
