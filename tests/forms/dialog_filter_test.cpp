// The common dialog's filter, cut at its bars character by character.
#include "runtime/forms/dialog_filter.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace lq {
namespace {

TEST(DialogFilter, IsTerminatedAndNumberedFromOne) {
  EXPECT_EQ(TerminatedFilter("程序|*.exe"), "程序|*.exe||");
  EXPECT_EQ(TerminatedFilter("程序|*.exe||"), "程序|*.exe||");
  EXPECT_EQ(TerminatedFilter("a|b|"), "a|b|||");
  EXPECT_EQ(TerminatedFilter(""), "||");
  // 81 7C is one character whose second byte is the bar's byte: not a separator.
  EXPECT_EQ(TerminatedFilter("a|\x81\x7c|"), "a|\x81\x7c|||");
  EXPECT_EQ(FilterBars("a|\x81\x7c|b"), (std::vector<std::size_t>{1, 4}));
  EXPECT_EQ(DialogFilterNumber(-3), 1);
  EXPECT_EQ(DialogFilterNumber(0), 1);
  EXPECT_EQ(DialogFilterNumber(2), 3);
}

}  // namespace
}  // namespace lq
