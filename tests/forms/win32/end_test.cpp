// The end of the program and runtime error reports as the window layer sees them.

#include <atomic>
#include <cstdio>
#include <thread>

#include "runtime/errors/program_end.h"
#include "runtime/errors/runtime_error.h"
#include "runtime/forms/unit_properties.h"
#include "runtime/forms/win32/form_window.h"
#include "runtime/forms/win32/window_commands.h"
#include "runtime/forms/win32/windows_ui.h"
#include "tests/forms/win32/forms_fixture.h"
#include "tests/support/report_capture.h"

namespace lq::test {
namespace {

[[noreturn]] void ThrowOnEnd(int exitCode) { throw ProgramEnded{exitCode}; }

TEST_F(FormsWin32, EventsRaisedWhileTheErrorBoxIsShownAreDropped) {
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  HWND main = WindowHandle(kMainId);
  HWND button = UnitHandle(kMainId, kPage0Button);
  const ProcessTerminator previous = SetProcessTerminator(&ThrowOnEnd);
  std::atomic<bool> box_seen{false};
  // The user clicks a button and the tray icon while the report is on screen, then dismisses it.
  // The three go to windows of one thread, so they arrive in the order they were posted: the click
  // and the tray message are taken while the box is still up.
  std::thread user([&] {
    HWND box = WaitForWindow(L"#32770", L"错误");
    box_seen = box != nullptr;
    PostMessageW(button, BM_CLICK, 0, 0);
    PostMessageW(main, kTrayCallbackMessage, kTrayIconId, WM_LBUTTONUP);
    if (box) PostMessageW(box, WM_COMMAND, IDOK, 0);
  });
  int exit_code = 0;
  try {
    ReportRuntimeError("测试", 0);
  } catch (const ProgramEnded& ended) {
    exit_code = ended.exit_code;
  }
  user.join();
  SetProcessTerminator(previous);
  EXPECT_TRUE(box_seen);
  EXPECT_EQ(exit_code, -1);
  EXPECT_TRUE(EventsAmong({"page0.clicked", "main.tray"}).empty());
  EXPECT_FALSE(IsWindow(main));  // the end destroyed the windows

  // Without a report on screen the same click runs its handler.
  Restart();
  ASSERT_TRUE(LoadWindow(kMainId, 0, false));
  SendMessageW(UnitHandle(kMainId, kPage0Button), BM_CLICK, 0, 0);
  EXPECT_EQ(EventsAmong({"page0.clicked"}).size(), 1u);
}

DWORD g_gui_thread = 0;
void ReportCleanupThread(int) {
  std::fprintf(
      stderr, "cleanup %s;",
      IsGuiThread() && GetCurrentThreadId() == g_gui_thread ? "on the GUI thread" : "elsewhere");
}

TEST_F(FormsWin32, EndProgramFromAWorkerEndsOnTheGuiThread) {
  EXPECT_EXIT(
      {
        ASSERT_TRUE(LoadWindow(kMainId, 0, false));
        ASSERT_TRUE(LoadWindow(kDialogId, kMainId, false));  // owned by the main window
        static HWND dialog = WindowHandle(kDialogId);
        SetTrayIcon(kMainId, ByteSet(SmallIconFile()), Text("提示"));
        g_gui_thread = GetCurrentThreadId();
        RegisterCleanup(&ReportCleanupThread);
        static HWND main = WindowHandle(kMainId);
        AddEndHook(EndStage::kReleaseObjects, [] {
          const bool tray_removed =
              !TrayCalls().empty() && TrayCalls().back().message == static_cast<DWORD>(NIM_DELETE);
          std::fprintf(stderr, " windows %s, tray icon %s\n",
                       IsWindow(main) || IsWindow(dialog) ? "alive" : "destroyed",
                       tray_removed ? "removed" : "kept");
          std::fflush(stderr);
        });
        std::thread([] { EndProgram(7); }).detach();
        RunMessageLoop();
        std::_Exit(99);
      },
      ::testing::ExitedWithCode(7),
      "cleanup on the GUI thread; windows destroyed, tray icon removed");
}

}  // namespace
}  // namespace lq::test
