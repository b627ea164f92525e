// FindText and FindTextBackward: start and region, empty sought text, case folding, and matches
// only on character boundaries.
#include "runtime/commands/text_search.h"

#include <gtest/gtest.h>

#include <optional>

namespace lq {
namespace {

constexpr std::nullopt_t kNoStart = std::nullopt;

TEST(FindText, FindsTheFirstOccurrenceFromTheStart) {
  EXPECT_EQ(FindText("abcabc", "c", kNoStart, false), 3);
  EXPECT_EQ(FindText("abcabc", "c", 4, false), 6);
  EXPECT_EQ(FindText("abcabc", "abc", 2, false), 4);
  EXPECT_EQ(FindText("abcabc", "x", kNoStart, false), -1);
}

TEST(FindText, StartBelowOneSearchesFromTheFirstByte) {
  EXPECT_EQ(FindText("abc", "a", 0, false), 1);
  EXPECT_EQ(FindText("abc", "a", -5, false), 1);
  EXPECT_EQ(FindText("abc", "a", INT32_MIN, false), 1);
}

TEST(FindText, StartBeyondTheTextFindsNothing) {
  EXPECT_EQ(FindText("abc", "c", 3, false), 3);
  EXPECT_EQ(FindText("abc", "c", 4, false), -1);
  EXPECT_EQ(FindText("abc", "c", INT32_MAX, false), -1);
}

TEST(FindText, SoughtTextLongerThanTheRest) {
  EXPECT_EQ(FindText("abc", "bcd", kNoStart, false), -1);
  EXPECT_EQ(FindText("ab", "abc", kNoStart, false), -1);
}

TEST(FindText, EmptySoughtTextIsFoundAtOneInAnyNonEmptyRegion) {
  EXPECT_EQ(FindText("abc", "", kNoStart, false), 1);
  EXPECT_EQ(FindText("abc", "", 3, false), 1);
  EXPECT_EQ(FindText("abc", "", 4, false), -1);
  EXPECT_EQ(FindText("", "", kNoStart, false), -1);
  EXPECT_EQ(FindText("", "a", kNoStart, false), -1);
}

TEST(FindText, CaseFoldingTouchesAsciiLettersOnly) {
  EXPECT_EQ(FindText("Hello World", "WORLD", kNoStart, true), 7);
  EXPECT_EQ(FindText("Hello World", "WORLD", kNoStart, false), -1);
  // Full-width Ａ (A3 C1) and ａ (A3 E1) are different characters, whatever the flag.
  EXPECT_EQ(FindText("Ａ", "ａ", kNoStart, true), -1);
  EXPECT_EQ(FindText("x[Y]", "[y]", kNoStart, true), 2);
  EXPECT_EQ(FindText("@", "`", kNoStart, true), -1);
}

TEST(FindText, FindsTwoByteCharacters) {
  EXPECT_EQ(FindText("英雄联盟Game", "联盟", kNoStart, false), 5);
  EXPECT_EQ(FindText("英雄联盟Game", "game", kNoStart, true), 9);
}

TEST(FindText, AsciiLetterNeverMatchesTheSecondByteOfACharacter) {
  // B0 61 is one character whose second byte is the code of "a".
  EXPECT_EQ(FindText("\xB0"
                     "a",
                     "a", kNoStart, false),
            -1);
  EXPECT_EQ(FindText("\xB0"
                     "a"
                     "a",
                     "a", kNoStart, false),
            3);
  EXPECT_EQ(FindText("\xB0"
                     "A",
                     "a", kNoStart, true),
            -1);
  // The same for a backslash after a lead byte: 81 5C is one character.
  EXPECT_EQ(FindText("\x81\\x\\", "\\", kNoStart, false), 4);
}

TEST(FindText, SoughtTextAcrossTwoCharactersDoesNotMatchInTheirMiddle) {
  // 啊啊 is B0 A1 B0 A1; A1 B0 straddles the two characters.
  EXPECT_EQ(FindText("啊啊", "\xA1\xB0", kNoStart, false), -1);
  EXPECT_EQ(FindText("x啊啊", "\xA1\xB0", kNoStart, false), -1);
}

TEST(FindText, TheStartByteCountsAsACharacterBoundary) {
  // Starting on the second byte of B0 61 treats that byte as a character of its own.
  EXPECT_EQ(FindText("\xB0"
                     "a",
                     "a", 2, false),
            2);
  EXPECT_EQ(FindText("\xB0\xA1\xB0\xA1", "\xA1\xB0", 2, false), 2);
}

TEST(FindText, LeadByteBeforeTheTerminatorEndsTheScan) {
  EXPECT_EQ(FindText("ab\xB0", "\xB0", kNoStart, false), 3);
  EXPECT_EQ(FindText("ab\xB0", "b\xB0", kNoStart, false), 2);
  EXPECT_EQ(FindText("a\xB0", "x", kNoStart, false), -1);
  EXPECT_EQ(FindTextBackward("ab\xB0", "\xB0", kNoStart, false), 3);
}

TEST(FindText, FindsOnAnyRunOfTwoByteCharacters) {
  std::string long_run;
  for (int i = 0; i < 1000; ++i) long_run += "啊";  // B0 A1: every other byte is A1
  EXPECT_EQ(FindText(Text(long_run + "x"), "x", kNoStart, false), 2001);
  EXPECT_EQ(FindText(Text(long_run), "\xA1\xB0", kNoStart, false), -1);
  EXPECT_EQ(FindText(Text("a" + long_run), "\xA1", kNoStart, false), -1);
  EXPECT_EQ(FindText(Text("a" + long_run + "\xA1"), "\xA1", kNoStart, false), 2002);
}

TEST(FindTextBackward, FindsTheLastOccurrenceEndingBeforeTheStart) {
  EXPECT_EQ(FindTextBackward("abcabc", "c", kNoStart, false), 6);
  EXPECT_EQ(FindTextBackward("abcabc", "c", 6, false), 3);
  EXPECT_EQ(FindTextBackward("abcabc", "c", 7, false), 6);
  EXPECT_EQ(FindTextBackward("abcabc", "bc", 6, false), 2);
  EXPECT_EQ(FindTextBackward("abcabc", "c", 3, false), -1);
  EXPECT_EQ(FindTextBackward("abcabc", "c", INT32_MAX, false), 6);
}

TEST(FindTextBackward, OverlappingOccurrencesCount) {
  EXPECT_EQ(FindTextBackward("aaaa", "aa", kNoStart, false), 3);
}

TEST(FindTextBackward, StartOfOneOrLessFindsNothing) {
  EXPECT_EQ(FindTextBackward("abc", "a", 1, false), -1);
  EXPECT_EQ(FindTextBackward("abc", "a", 0, false), -1);
  EXPECT_EQ(FindTextBackward("abc", "a", -3, false), -1);
}

TEST(FindTextBackward, EmptySoughtText) {
  EXPECT_EQ(FindTextBackward("abc", "", kNoStart, false), 1);
  EXPECT_EQ(FindTextBackward("abc", "", 2, false), 1);
  EXPECT_EQ(FindTextBackward("abc", "", 1, false), -1);
  EXPECT_EQ(FindTextBackward("", "", kNoStart, false), -1);
}

TEST(FindTextBackward, FindsTheLastBackslashOfAPath) {
  EXPECT_EQ(FindTextBackward("C:\\英雄联盟\\Game\\", "\\", kNoStart, false), 17);
  // 81 5C ends in the code of a backslash but is one character.
  EXPECT_EQ(FindTextBackward("C:\\dir\\\x81\\", "\\", kNoStart, false), 7);
}

TEST(FindTextBackward, FoldsCase) {
  EXPECT_EQ(FindTextBackward("Set-Cookie: a; set-cookie: b", "SET-COOKIE", kNoStart, true), 16);
  EXPECT_EQ(FindTextBackward("Set-Cookie: a; set-cookie: b", "SET-COOKIE", kNoStart, false), -1);
}

}  // namespace
}  // namespace lq
