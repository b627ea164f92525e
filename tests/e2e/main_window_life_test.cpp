// The main window's life: one copy per program file, hidden to the tray instead of closed, brought
// back and ended through the tray, and the champion buttons' modal skin window.
#include <gtest/gtest.h>

#include "tests/e2e/main_window_harness.h"

namespace lq::e2e {
namespace {

class MainWindowLife : public ::testing::Test {
 protected:
  test::ScratchDir scratch{"life"};
  std::filesystem::path exe = scratch.path() / ProgramNameForTest();
  void SetUp() override { CopyProgram(exe); }

  static bool Hidden(const Program& p) { return !IsWindowVisible(p.Main()); }
};

TEST_F(MainWindowLife, ASecondCopyOfTheSameFileSaysSoAndEndsWithZero) {
  Program first(exe);
  Program second(exe, false);
  EXPECT_TRUE(second.AnswerMessage(L"你已经运行了呢,请查看桌面右下角！", L"提示"));
  EXPECT_EQ(second.WaitExit(), 0u);
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(first.MainShown());
  EXPECT_TRUE(first.NoMessageFor(200));
}

TEST_F(MainWindowLife, ACopyUnderAnotherNameRunsBeside) {
  const auto other = scratch.path() / ProgramNameForTest(L"_另一个");
  CopyProgram(other);
  Program first(exe);
  Program second(other);
  EXPECT_TRUE(second.MainShown());
  EXPECT_TRUE(second.NoMessageFor(300));
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(second.Running());
}

TEST_F(MainWindowLife, ClosingHidesToTheTrayAndTheTrayBringsItBack) {
  Program program(exe);
  HWND main = program.Main();
  // The close box and the system menu's close item: both arrive as SC_CLOSE.
  driver::CloseAsUser(main);
  ASSERT_TRUE(WaitUntil([&] { return Hidden(program); }));
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(IsWindow(main));
  ASSERT_TRUE(driver::PostTrayAction(main, 1));
  ASSERT_TRUE(WaitUntil([&] { return program.MainShown(); }));  // shown and restored

  // Alt+F4 on the focused control.
  PostMessageW(program.Control(kAutoButton), WM_SYSKEYDOWN, VK_F4, 0x20000001);
  ASSERT_TRUE(WaitUntil([&] { return Hidden(program); }));
  EXPECT_TRUE(program.Running());
  ASSERT_TRUE(driver::PostTrayAction(main, 1));
  ASSERT_TRUE(WaitUntil([&] { return program.MainShown(); }));

  // A double click shows nothing by itself (its button releases do).
  driver::CloseAsUser(main);
  ASSERT_TRUE(WaitUntil([&] { return Hidden(program); }));
  ASSERT_TRUE(driver::PostTrayAction(main, 2));
  Sleep(300);
  EXPECT_TRUE(Hidden(program));
}

TEST_F(MainWindowLife, MinimisingHidesIt) {
  Program program(exe);
  HWND main = program.Main();
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return Hidden(program); }));
  EXPECT_TRUE(program.Running());
  ASSERT_TRUE(driver::PostTrayAction(main, 1));
  EXPECT_TRUE(WaitUntil([&] { return program.MainShown(); }));
  EXPECT_FALSE(IsIconic(main));
}

TEST_F(MainWindowLife, ALogOffQueryIsRefusedAndHidesTheWindow) {
  Program program(exe);
  DWORD_PTR answer = 1;
  ASSERT_TRUE(SendMessageTimeoutW(program.Main(), WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF,
                                  SMTO_ABORTIFHUNG, 5000, &answer));
  EXPECT_EQ(answer, 0u);
  EXPECT_TRUE(WaitUntil([&] { return Hidden(program); }));
  EXPECT_TRUE(program.Running());
}

// The tray menu, worked with the keyboard as a user would: its items cannot be read from another
// process, so the test counts them by moving through them.
class TrayMenu : public MainWindowLife {
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
  ASSERT_TRUE(WaitUntil([&] { return Hidden(program); }));

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

TEST_F(MainWindowLife, AChampionButtonOpensTheSkinWindowModally) {
  Program program(exe);
  ASSERT_TRUE(program.SelectPage(1));
  driver::Click(program.Control(GridButtonId(1, 0)));  // 金克丝
  HWND skin = nullptr;
  ASSERT_TRUE(WaitUntil([&] { return (skin = program.OtherWindowWith(kSkinLoadButton1)); }));
  EXPECT_FALSE(IsWindowEnabled(program.Main()));
  EXPECT_EQ(driver::ReadText(program.Control(kSkinLoadButton1)), L"载入");
  driver::CloseAsUser(skin);
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program.Main()); }));
  EXPECT_TRUE(WaitUntil([&] { return !IsWindow(skin) || !IsWindowVisible(skin); }));
  EXPECT_TRUE(program.Running());

  // An empty button does nothing.
  driver::Click(program.Control(GridButtonId(1, 19)));
  Sleep(300);
  EXPECT_EQ(program.OtherWindowWith(kSkinLoadButton1), nullptr);
  EXPECT_TRUE(IsWindowEnabled(program.Main()));
}

}  // namespace
}  // namespace lq::e2e
