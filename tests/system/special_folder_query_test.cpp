#include "runtime/system/special_folder_query.h"

#include <gtest/gtest.h>

namespace lq {
namespace {

TEST(SpecialFolderRules, NumbersMapToTheirQueries) {
  const int shellIds[] = {5, 6, 16, 20, 11, 2, 7, 26};
  for (int n = 1; n <= 8; ++n) {
    auto q = SpecialFolderQuery(n);
    ASSERT_TRUE(q);
    EXPECT_EQ(q->source, FolderSource::kShell);
    EXPECT_EQ(q->shellFolderId, shellIds[n - 1]);
  }
  EXPECT_EQ(SpecialFolderQuery(9)->source, FolderSource::kWindowsDirectory);
  EXPECT_EQ(SpecialFolderQuery(10)->source, FolderSource::kSystemDirectory);
  EXPECT_EQ(SpecialFolderQuery(11)->source, FolderSource::kTempDirectory);
  EXPECT_FALSE(SpecialFolderQuery(0));
  EXPECT_FALSE(SpecialFolderQuery(12));
  EXPECT_FALSE(SpecialFolderQuery(-1));
}

}  // namespace
}  // namespace lq
