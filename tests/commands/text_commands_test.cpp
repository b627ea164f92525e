// Text lengths, pieces, case, spaces, range replacement, joining and comparison.
#include "runtime/commands/text_commands.h"

#include <gtest/gtest.h>

namespace lq {
namespace {

TEST(TextLength, CountsBytes) {
  EXPECT_EQ(TextLength("abc"), 3);
  EXPECT_EQ(TextLength("英雄"), 4);
  EXPECT_EQ(TextLength(Text()), 0);
}

TEST(TextPieces, LeftAndRightTakeBytes) {
  EXPECT_EQ(LeftText("abcdef", 2), Text("ab"));
  EXPECT_EQ(RightText("abcdef", 2), Text("ef"));
  EXPECT_EQ(LeftText("abc", 10), Text("abc"));
  EXPECT_EQ(RightText("abc", 10), Text("abc"));
  EXPECT_EQ(LeftText("abc", 0), Text());
  EXPECT_EQ(RightText("abc", -1), Text());
  EXPECT_EQ(LeftText(Text(), 3), Text());
}

TEST(TextPieces, LeftAndRightMayCutACharacter) {
  EXPECT_EQ(LeftText("英雄", 3), Text("英\xD0"));
  EXPECT_EQ(RightText("英雄", 3), Text("\xA2雄"));
}

TEST(TextPieces, MidTakesBytesFromAStart) {
  EXPECT_EQ(MidText("abcdef", 2, 3), Text("bcd"));
  EXPECT_EQ(MidText("abcdef", 5, 10), Text("ef"));
  EXPECT_EQ(MidText("abcdef", 6, 1), Text("f"));
  EXPECT_EQ(MidText("abcdef", 7, 1), Text());
  EXPECT_EQ(MidText("abcdef", 0, 2), Text());
  EXPECT_EQ(MidText("abcdef", 2, 0), Text());
  EXPECT_EQ(MidText("abcdef", 2, INT32_MAX), Text("bcdef"));
}

TEST(TextPieces, CharAndSpaceTexts) {
  EXPECT_EQ(CharText('A'), Text("A"));
  EXPECT_EQ(CharText(0xB0).view(), "\xB0");
  EXPECT_EQ(CharText(0), Text());
  EXPECT_EQ(SpaceText(3), Text("   "));
  EXPECT_EQ(SpaceText(0), Text());
  EXPECT_EQ(SpaceText(-2), Text());
}

TEST(TextCase, LowersAsciiLettersOnly) {
  EXPECT_EQ(ToLowerCase("Set-Cookie: ABC xyz 123"), Text("set-cookie: abc xyz 123"));
  // B0 41 is one character whose second byte is the code of "A": it stays as it is.
  EXPECT_EQ(ToLowerCase("\xB0"
                        "AA"),
            Text("\xB0"
                 "Aa"));
  EXPECT_EQ(ToLowerCase("Ａ"), Text("Ａ"));
  EXPECT_EQ(ToLowerCase("A\xB0"), Text("a\xB0"));
}

TEST(TextSpaces, TrimRemovesSpacesAtBothEnds) {
  EXPECT_EQ(TrimSpaces("  a b  "), Text("a b"));
  EXPECT_EQ(TrimSpaces("　a　"), Text("a"));  // full-width spaces, A1 A1
  EXPECT_EQ(TrimSpaces(" 　 a 　 "), Text("a"));
  EXPECT_EQ(TrimSpaces("   "), Text());
  EXPECT_EQ(TrimSpaces(Text()), Text());
}

TEST(TextSpaces, TrimKeepsLineBreaksAndTabs) {
  EXPECT_EQ(TrimSpaces(" a\r\n"), Text("a\r\n"));
  EXPECT_EQ(TrimSpaces("\ta \t"), Text("\ta \t"));
  EXPECT_EQ(TrimSpaces("a \r\n "), Text("a \r\n"));
}

TEST(TextSpaces, TrimSeesOnlyWholeFullWidthSpaces) {
  // The character B0 A1, then a lone A1 at the end: the last two bytes are A1 A1 but no space.
  EXPECT_EQ(TrimSpaces("\xB0\xA1\xA1").view(), "\xB0\xA1\xA1");
  // The characters B0 A1 and A1 B0: the A1 A1 across them is no space either.
  EXPECT_EQ(TrimSpaces("\xB0\xA1\xA1\xB0").view(), "\xB0\xA1\xA1\xB0");
  // 啊 (B0 A1) then a full-width space (A1 A1): the space goes.
  EXPECT_EQ(TrimSpaces("啊　"), Text("啊"));
}

TEST(TextSpaces, RemoveAllTakesOutEverySpace) {
  EXPECT_EQ(RemoveAllSpaces(" a b　c "), Text("abc"));
  EXPECT_EQ(RemoveAllSpaces("a\tb\r\n"), Text("a\tb\r\n"));
  // B0 A1 A1 B0 is two characters; the A1 A1 across them is no space.
  EXPECT_EQ(RemoveAllSpaces("\xB0\xA1\xA1\xB0").view(), "\xB0\xA1\xA1\xB0");
  EXPECT_EQ(RemoveAllSpaces("   "), Text());
}

TEST(ReplaceRange, ReplacesAByteRange) {
  EXPECT_EQ(ReplaceRange("abcdef", 2, 3, "X"), Text("aXef"));
  EXPECT_EQ(ReplaceRange("abcdef", 2, 3), Text("aef"));
  EXPECT_EQ(ReplaceRange("abcdef", 1, 0, "X"), Text("Xabcdef"));
}

TEST(ReplaceRange, HoldsStartAndLengthToTheText) {
  EXPECT_EQ(ReplaceRange("abc", 0, 1, "X"), Text("Xbc"));
  EXPECT_EQ(ReplaceRange("abc", -7, 1, "X"), Text("Xbc"));
  EXPECT_EQ(ReplaceRange("abc", 10, 5, "X"), Text("abcX"));
  EXPECT_EQ(ReplaceRange("abc", 2, 100, "X"), Text("aX"));
  EXPECT_EQ(ReplaceRange("abc", 2, -4, "X"), Text("aXbc"));
  EXPECT_EQ(ReplaceRange(Text(), 1, 1, "X"), Text("X"));
}

TEST(ConcatTexts, JoinsInOrder) {
  const Text dir = "C:\\英雄联盟\\Game\\";
  EXPECT_EQ(ConcatTexts(dir, "skin", ".zip"), Text("C:\\英雄联盟\\Game\\skin.zip"));
  EXPECT_EQ(ConcatTexts(Text(), "a", Text()), Text("a"));
  EXPECT_EQ(ConcatTexts(Text(), Text()), Text());
}

TEST(CompareTexts, OrdersBytesUnsigned) {
  EXPECT_EQ(CompareTexts("abc", "abc"), 0);
  EXPECT_EQ(CompareTexts("abc", "abd"), -1);
  EXPECT_EQ(CompareTexts("abd", "abc"), 1);
  EXPECT_EQ(CompareTexts("ab", "abc"), -1);
  EXPECT_EQ(CompareTexts("abc", "ab"), 1);
  EXPECT_EQ(CompareTexts("z", "\xB0\xA1"), -1);  // 0x7A before 0xB0
  EXPECT_EQ(CompareTexts(Text(), ""), 0);
  EXPECT_EQ(CompareTexts("A", "a"), -1);  // case counts
}

}  // namespace
}  // namespace lq
