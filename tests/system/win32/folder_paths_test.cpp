#include "runtime/system/folder_paths.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>

#include "tests/support/scratch_dir.h"

namespace lq {
namespace {

TEST(SpecialFolderPath, KnownFoldersEndInABackslash) {
  for (int n = 1; n <= 11; ++n) {
    const Text path = SpecialFolderPath(n);
    if (path.empty()) continue;  // a folder the system does not have
    EXPECT_EQ(path.view().back(), '\\') << n << ": " << path.view();
  }
  wchar_t windows[MAX_PATH];
  const UINT len = GetWindowsDirectoryW(windows, MAX_PATH);
  ASSERT_GT(len, 0u);
  EXPECT_EQ(SpecialFolderPath(9).view(),
            test::GbkPath(std::filesystem::path(std::wstring(windows, len))) + "\\");
  wchar_t temp[MAX_PATH];
  const DWORD tempLen = GetTempPathW(MAX_PATH, temp);
  ASSERT_GT(tempLen, 0u);
  std::wstring expectedTemp(temp, tempLen);
  if (expectedTemp.back() != L'\\') expectedTemp += L'\\';
  EXPECT_EQ(SpecialFolderPath(11).view(), test::GbkPath(std::filesystem::path(expectedTemp)));
  EXPECT_FALSE(SpecialFolderPath(10).empty());
}

TEST(SpecialFolderPath, UnknownNumbersGiveTheEmptyText) {
  EXPECT_TRUE(SpecialFolderPath(0).empty());
  EXPECT_TRUE(SpecialFolderPath(12).empty());
  EXPECT_TRUE(SpecialFolderPath(-3).empty());
}

}  // namespace
}  // namespace lq
