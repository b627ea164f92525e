#include "runtime/system/message_box_style.h"

#include <gtest/gtest.h>

#include <string_view>

namespace lq {
namespace {

TEST(MessageBoxRules, TaskModalUnlessSystemModal) {
  EXPECT_EQ(MessageBoxStyle(0), 0x2000u);
  EXPECT_EQ(MessageBoxStyle(0x24), 0x2024u);
  EXPECT_EQ(MessageBoxStyle(0x1000), 0x1000u);
  EXPECT_EQ(MessageBoxStyle(0x1031), 0x1031u);
  EXPECT_EQ(MessageBoxStyle(0x2000), 0x2000u);
}

TEST(MessageBoxRules, ButtonNumbers) {
  // IDOK 1, IDCANCEL 2, IDABORT 3, IDRETRY 4, IDIGNORE 5, IDYES 6, IDNO 7.
  for (int id = 1; id <= 7; ++id) EXPECT_EQ(MessageBoxButtonNumber(id), id - 1);
  EXPECT_EQ(MessageBoxButtonNumber(0), kButtonNone);  // the box could not be shown
  EXPECT_EQ(MessageBoxButtonNumber(10), kButtonNone);
}

TEST(MessageBoxRules, DefaultCaptionIsGbk) {
  EXPECT_EQ(std::string_view(kDefaultMessageBoxCaption), "\xD0\xC5\xCF\xA2\xA3\xBA");
}

}  // namespace
}  // namespace lq
