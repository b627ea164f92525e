// The main window's life: one copy per program file, hidden to the tray instead of closed, brought
// back and ended through the tray, and the champion buttons' modal skin window.
#include <gtest/gtest.h>

#include "tests/e2e/main_window_harness.h"

namespace lq::e2e {
namespace {

using MainWindowLife = ProgramCopyTest;

TEST_F(MainWindowLife, ASecondCopyOfTheSameFileSaysSoAndEndsWithZero) {
  Program first(exe);
  Program second(exe, false);
  EXPECT_TRUE(second.AnswerMessage(L"你已经运行了呢,请查看桌面右下角！", L"提示"));
  EXPECT_EQ(second.WaitExit(), 0u);
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(first.MainShown());
  EXPECT_TRUE(first.NoMessage());
}

TEST_F(MainWindowLife, ACopyUnderAnotherNameRunsBeside) {
  const auto other = scratch.path() / ProgramNameForTest(L"_另一个");
  CopyProgram(other);
  Program first(exe);
  Program second(other);
  EXPECT_TRUE(second.MainShown());
  EXPECT_TRUE(second.NoMessage());
  EXPECT_TRUE(first.Running());
  EXPECT_TRUE(second.Running());
}

TEST_F(MainWindowLife, ClosingHidesToTheTrayAndTheTrayBringsItBack) {
  Program program(exe);
  HWND main = program.Main();
  // The close box and the system menu's close item: both arrive as SC_CLOSE.
  driver::CloseAsUser(main);
  ASSERT_TRUE(WaitUntil([&] { return program.MainHidden(); }));
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(IsWindow(main));
  ASSERT_TRUE(driver::PostTrayAction(main, 1));
  ASSERT_TRUE(WaitUntil([&] { return program.MainShown(); }));  // shown and restored

  // Alt+F4 on the focused control.
  PostMessageW(program.Control(kAutoButton), WM_SYSKEYDOWN, VK_F4, 0x20000001);
  ASSERT_TRUE(WaitUntil([&] { return program.MainHidden(); }));
  EXPECT_TRUE(program.Running());
  ASSERT_TRUE(driver::PostTrayAction(main, 1));
  ASSERT_TRUE(WaitUntil([&] { return program.MainShown(); }));

  // A double click shows nothing by itself (its button releases do). Sent, not posted: with no
  // window shown, the program's answer is the only round trip there is.
  driver::CloseAsUser(main);
  ASSERT_TRUE(WaitUntil([&] { return program.MainHidden(); }));
  ASSERT_TRUE(driver::SendTrayAction(main, 2));
  ASSERT_TRUE(program.RoundTrip());
  EXPECT_TRUE(program.MainHidden());
}

TEST_F(MainWindowLife, MinimisingHidesIt) {
  Program program(exe);
  HWND main = program.Main();
  PostMessageW(main, WM_SYSCOMMAND, SC_MINIMIZE, 0);
  ASSERT_TRUE(WaitUntil([&] { return program.MainHidden(); }));
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
  EXPECT_TRUE(WaitUntil([&] { return program.MainHidden(); }));
  EXPECT_TRUE(program.Running());
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
  ASSERT_TRUE(program.RoundTrip());
  EXPECT_EQ(program.OtherWindowWith(kSkinLoadButton1), nullptr);
  EXPECT_TRUE(IsWindowEnabled(program.Main()));
}

}  // namespace
}  // namespace lq::e2e
