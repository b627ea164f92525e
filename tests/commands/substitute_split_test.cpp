// SubstituteText and SplitText.
#include <gtest/gtest.h>

#include <optional>

#include "runtime/commands/text_commands.h"

namespace lq {
namespace {

constexpr std::nullopt_t kLeftOut = std::nullopt;

std::vector<Text> Parts(const Array<Text>& a) { return a.elements(); }

TEST(SubstituteText, IgnoresAsciiCaseUnlessExact) {
  EXPECT_EQ(SubstituteText("Set-Cookie: a", "set-cookie", "", kLeftOut, kLeftOut, false),
            Text(": a"));
  EXPECT_EQ(SubstituteText("Set-Cookie: a", "set-cookie"), Text(": a"));
  EXPECT_EQ(SubstituteText("Set-Cookie: a", "set-cookie", "", kLeftOut, kLeftOut, true),
            Text("Set-Cookie: a"));
}

TEST(SubstituteText, ReplacesEveryOccurrenceByDefault) {
  EXPECT_EQ(SubstituteText("a,b,,c", ",", ";"), Text("a;b;;c"));
  EXPECT_EQ(SubstituteText("aaa", "a", "aa"), Text("aaaaaa"));
  EXPECT_EQ(SubstituteText("abcabc", "bc"), Text("aa"));
}

TEST(SubstituteText, ScanContinuesAfterTheReplacedOccurrence) {
  EXPECT_EQ(SubstituteText("aaaa", "aa", "b"), Text("bb"));
  EXPECT_EQ(SubstituteText("aaa", "aa", "b"), Text("ba"));
}

TEST(SubstituteText, StartAndCount) {
  EXPECT_EQ(SubstituteText("a-a-a-a", "a", "X", 2), Text("a-X-X-X"));
  EXPECT_EQ(SubstituteText("a-a-a-a", "a", "X", kLeftOut, 2), Text("X-X-a-a"));
  EXPECT_EQ(SubstituteText("a-a-a-a", "a", "X", 3, 1), Text("a-X-a-a"));
  EXPECT_EQ(SubstituteText("a-a-a-a", "a", "X", -4, 1), Text("X-a-a-a"));
  EXPECT_EQ(SubstituteText("a-a", "a", "X", kLeftOut, -1), Text("X-X"));
  EXPECT_EQ(SubstituteText("a-a", "a", "X", kLeftOut, INT32_MIN), Text("X-X"));
}

TEST(SubstituteText, NothingToDoGivesACopy) {
  EXPECT_EQ(SubstituteText(Text(), "a", "X"), Text());
  EXPECT_EQ(SubstituteText("abc", "", "X"), Text("abc"));
  EXPECT_EQ(SubstituteText("abc", "c", "X", 4), Text("abc"));
  EXPECT_EQ(SubstituteText("abc", "c", "X", kLeftOut, 0), Text("abc"));
  EXPECT_EQ(SubstituteText("abc", "x", "X"), Text("abc"));
}

TEST(SubstituteText, MatchesOnlyOnCharacterBoundaries) {
  // B0 61: one character ending in the code of "a".
  EXPECT_EQ(SubstituteText("\xB0"
                           "aa",
                           "a", "X"),
            Text("\xB0"
                 "aX"));
  EXPECT_EQ(SubstituteText("C:\\英雄联盟\\Game\\", "\\", "/"), Text("C:/英雄联盟/Game/"));
  EXPECT_EQ(SubstituteText("\x81\\\\", "\\", "/").view(), "\x81\\/");
}

TEST(SubstituteText, LeadByteBeforeTheTerminator) {
  EXPECT_EQ(SubstituteText("ab\xB0", "\xB0", "X"), Text("abX"));
  EXPECT_EQ(SubstituteText("ab\xB0", "b", "X").view(), "aX\xB0");
}

TEST(SplitText, CutsAtEachSeparator) {
  EXPECT_EQ(Parts(SplitText("a,b,c")), (std::vector<Text>{"a", "b", "c"}));
  EXPECT_EQ(Parts(SplitText("a\r\nb", "\r\n")), (std::vector<Text>{"a", "b"}));
  EXPECT_EQ(Parts(SplitText("abc")), (std::vector<Text>{"abc"}));
}

TEST(SplitText, EmptyPiecesStayButATrailingOneIsDropped) {
  EXPECT_EQ(Parts(SplitText("a,,b")), (std::vector<Text>{"a", "", "b"}));
  EXPECT_EQ(Parts(SplitText("a,b,")), (std::vector<Text>{"a", "b"}));
  EXPECT_EQ(Parts(SplitText(",a")), (std::vector<Text>{"", "a"}));
  EXPECT_EQ(Parts(SplitText(",")), (std::vector<Text>{""}));
  EXPECT_EQ(Parts(SplitText("a,,")), (std::vector<Text>{"a", ""}));
}

TEST(SplitText, EmptyTextGivesNoElements) {
  EXPECT_EQ(SplitText("").Count(), 0);
  EXPECT_EQ(SplitText(Text(), ",", 5).Count(), 0);
}

TEST(SplitText, EmptySeparatorGivesTheWholeText) {
  EXPECT_EQ(Parts(SplitText("a,b", "")), (std::vector<Text>{"a,b"}));
}

TEST(SplitText, MaxPartsDropsTheRest) {
  EXPECT_EQ(Parts(SplitText("a,b,c", ",", 2)), (std::vector<Text>{"a", "b"}));
  EXPECT_EQ(Parts(SplitText("a,b,c", ",", 3)), (std::vector<Text>{"a", "b", "c"}));
  EXPECT_EQ(Parts(SplitText("a,b,c", ",", 1)), (std::vector<Text>{"a"}));
  EXPECT_EQ(Parts(SplitText("abc", ",", 1)), (std::vector<Text>{"abc"}));
  EXPECT_EQ(SplitText("a,b,c", ",", 0).Count(), 0);
  EXPECT_EQ(SplitText("a,b,c", ",", -3).Count(), 0);
}

TEST(SplitText, ComparesExactlyOnCharacterBoundaries) {
  EXPECT_EQ(Parts(SplitText("aXbxc", "x")), (std::vector<Text>{"aXb", "c"}));
  // 81 5C is one character: its second byte is no backslash.
  EXPECT_EQ(Parts(SplitText("\x81\\\\z", "\\")), (std::vector<Text>{"\x81\\", "z"}));
  EXPECT_EQ(Parts(SplitText("英雄|联盟", "|")), (std::vector<Text>{"英雄", "联盟"}));
}

}  // namespace
}  // namespace lq
