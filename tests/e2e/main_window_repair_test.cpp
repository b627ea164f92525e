// 修复 with an empty field, and the field's read-only state against typing.
#include <gtest/gtest.h>

#include "tests/e2e/main_window_harness.h"

namespace lq::e2e {
namespace {

using MainWindowRepair = ProgramCopyTest;

TEST_F(MainWindowRepair, AnEmptyFieldAsksForTheDirectoryFirst) {
  Program program(exe);
  driver::Click(program.Control(kRepairButton));
  EXPECT_TRUE(program.AnswerMessage(L"请先获取游戏目录。"));
  EXPECT_TRUE(program.NoMessage());
}

TEST_F(MainWindowRepair, TheDirectoryFieldTakesNoTyping) {
  Program program(exe);
  HWND edit = program.Control(kDirectoryEdit);
  PostMessageW(edit, WM_CHAR, L'X', 1);
  PostMessageW(edit, WM_CHAR, L'Y', 1);
  ASSERT_TRUE(program.RoundTrip());
  EXPECT_EQ(program.Text(kDirectoryEdit), L"");
}

}  // namespace
}  // namespace lq::e2e
