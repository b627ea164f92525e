#include "web/fast_text.h"

#include <gtest/gtest.h>

#include "runtime/commands/text_search.h"

namespace lq {
namespace {

TEST(FindTextFastTest, SamePositionsAsFindText) {
  const Text text = "abcabc 标题<title>x</title>";
  for (const char* sought : {"c", "abc", "<title>", "</title>", "标题", "x", "zz"}) {
    for (std::int32_t start : {-3, 0, 1, 2, 4, 7, 8, 12, 40}) {
      for (bool fold : {false, true}) {
        EXPECT_EQ(FindTextFast(text, sought, start, fold), FindText(text, sought, start, fold))
            << sought << " from " << start << (fold ? " folded" : "");
      }
    }
  }
}

TEST(FindTextFastTest, EmptyTextOrSoughtIsNotFound) {
  EXPECT_EQ(FindTextFast("", "a", 1, false), -1);
  EXPECT_EQ(FindTextFast("abc", "", 1, false), -1);
  EXPECT_EQ(FindTextFast("", "", 0, false), -1);
}

TEST(FindTextFastTest, CaseFoldingOfAsciiOnly) {
  EXPECT_EQ(FindTextFast("xx<TITLE>", "<title>", 0, true), 3);
  EXPECT_EQ(FindTextFast("xx<TITLE>", "<title>", 0, false), -1);
  // A two-byte character whose second byte is a letter matches only exactly.
  EXPECT_EQ(FindTextFast("\x81"
                         "A",
                         "\x81"
                         "a",
                         1, true),
            -1);
  EXPECT_EQ(FindTextFast("\x81"
                         "A",
                         "\x81"
                         "A",
                         1, true),
            1);
}

TEST(FindTextFastTest, MatchesBeginOnCharacterBoundaries) {
  // "\xB0\x41" is one character; the "A" after "1" is the first one on a boundary.
  EXPECT_EQ(FindTextFast("\xB0"
                         "A1A",
                         "A", 1, false),
            4);
  // 0x80 is a character of its own here, so the "A" right after it is a match.
  EXPECT_EQ(FindTextFast("\x80"
                         "A",
                         "A", 1, false),
            2);
  EXPECT_EQ(FindTextFast("\xB0"
                         "A",
                         "A", 1, false),
            -1);
}

TEST(MidTextRawTest, RangeRules) {
  const Text text = "abcdef";
  EXPECT_EQ(MidTextRaw(text, 2, 3), Text("bcd"));
  EXPECT_EQ(MidTextRaw(text, 5, 10), Text("ef"));
  EXPECT_EQ(MidTextRaw(text, 0, 2), Text());
  EXPECT_EQ(MidTextRaw(text, 7, 1), Text());
  EXPECT_EQ(MidTextRaw(text, 6, 1), Text("f"));
  EXPECT_EQ(MidTextRaw(text, 1, 0), Text());
  EXPECT_EQ(MidTextRaw(text, 1, -1), Text());
  EXPECT_EQ(MidTextRaw("", 1, 1), Text());
}

}  // namespace
}  // namespace lq
