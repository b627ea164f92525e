// The tray menu (action 3): exactly 显示 and 退出; 显示 shows and raises the window, 退出 ends the
// program with code 0. Popup menus close when another window takes the foreground, so these run
// while no other test runs.
#include <gtest/gtest.h>

#include <initializer_list>

#include "tests/e2e/main_window_harness.h"

namespace lq::e2e {
namespace {

// The tray menu, worked with the keyboard as a user would: its items cannot be read from another
// process, so the test counts them by moving through them.
class TrayMenu : public ProgramCopyTest {
 protected:
  HWND OpenMenu(Program& program) {
    EXPECT_TRUE(driver::PostTrayAction(program.Main(), 3));
    HWND menu = nullptr;
    WaitUntil([&] {
      for (HWND top : program.process().TopLevelWindows()) {
        if (driver::ClassOf(top) == L"#32768" && IsWindowVisible(top)) menu = top;
      }
      return menu != nullptr;
    });
    return menu;
  }
  static void Keys(HWND menu, std::initializer_list<UINT> keys) {
    for (UINT key : keys) {
      PostMessageW(menu, WM_KEYDOWN, key, 1);
      PostMessageW(menu, WM_KEYUP, key, 0xC0000001);
    }
  }
};

TEST_F(TrayMenu, HoldsShowAndExitAndShowRaisesTheWindow) {
  Program program(exe);
  HWND main = program.Main();
  driver::CloseAsUser(main);
  ASSERT_TRUE(WaitUntil([&] { return program.MainHidden(); }));

  // Another program's window above where the program's window will be.
  const auto coverExe = scratch.path() / L"cover.exe";
  CopyCover(coverExe);
  std::string error;
  auto cover = driver::TargetProcess::Start(coverExe.native(), L"", L"", &error);
  ASSERT_TRUE(cover.has_value()) << error;
  HWND coverWindow = nullptr;
  ASSERT_TRUE(WaitUntil([&] {
    for (HWND top : cover->TopLevelWindows()) {
      if (IsWindowVisible(top)) coverWindow = top;
    }
    return coverWindow != nullptr;
  }));

  // Two items: three steps down wrap round to the first, 显示.
  HWND menu = OpenMenu(program);
  ASSERT_NE(menu, nullptr);
  Keys(menu, {VK_DOWN, VK_DOWN, VK_DOWN, VK_RETURN});
  ASSERT_TRUE(WaitUntil([&] { return program.MainShown(); }));
  // Raised, and not kept on top.
  EXPECT_TRUE(WaitUntil([&] { return !(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST); }));
  bool mainFirst = false;
  for (HWND w = GetTopWindow(nullptr); w; w = GetWindow(w, GW_HWNDNEXT)) {
    if (w == main || w == coverWindow) {
      mainFirst = w == main;
      break;
    }
  }
  EXPECT_TRUE(mainFirst);
  cover->Terminate();

  // The second item, 退出, ends the program with code 0.
  menu = OpenMenu(program);
  ASSERT_NE(menu, nullptr);
  Keys(menu, {VK_DOWN, VK_DOWN, VK_RETURN});
  EXPECT_EQ(program.WaitExit(), 0u);
}

}  // namespace
}  // namespace lq::e2e
