#include "web/text_markers.h"

#include <gtest/gtest.h>

namespace lq {
namespace {

TEST(TextBetweenTest, CutsBetweenTheFirstStartAndTheNextEnd) {
  EXPECT_EQ(TextBetween("x<a>1</a><a>2</a>", "<a>", "</a>"), Text("1"));
  EXPECT_EQ(TextBetween("<a></a>", "<a>", "</a>"), Text());
  EXPECT_EQ(TextBetween("no markers", "<a>", "</a>"), Text());
  EXPECT_EQ(TextBetween("<a>unclosed", "<a>", "</a>"), Text());
}

TEST(TextBetweenTest, HashInAMarkerStandsForADoubleQuote) {
  EXPECT_EQ(TextBetween("id=\"a\"value\"", "#a#", "#"), Text("value"));
  EXPECT_EQ(TextBetween("<x href=\"u\">", "href=#", "#"), Text("u"));
  // Without a quote in the text, a marker with "#" is not found.
  EXPECT_EQ(TextBetween("#a#v#", "#a#", "#"), Text());
}

TEST(TextBetweenTest, EndMarkerOnlyBeforeTheStartGivesEmpty) {
  EXPECT_EQ(TextBetween("end] [start and more", "[start", "]"), Text());
}

TEST(TextBetweenTest, StartPositionAndCaseFlag) {
  EXPECT_EQ(TextBetween("<b>1</b><b>2</b>", "<b>", "</b>", 2), Text("2"));
  EXPECT_EQ(TextBetween("<b>1</b>", "<b>", "</b>", 0), Text("1"));
  EXPECT_EQ(TextBetween("<B>1</b>", "<b>", "</B>"), Text());
  EXPECT_EQ(TextBetween("<B>1</b>", "<b>", "</B>", 0, true), Text("1"));
  EXPECT_EQ(TextBetween("<b>1</b>", "<b>", "</b>", 99), Text());
}

TEST(TextBetweenTest, MarkersAtTheEdges) {
  EXPECT_EQ(TextBetween("ab", "a", "b"), Text());
  EXPECT_EQ(TextBetween("abc", "", "c"), Text("ab"));
  EXPECT_EQ(TextBetween("abc", "a", ""), Text());
  EXPECT_EQ(TextBetween("ab", "b", "x"), Text());
}

TEST(TextBetweenTest, MarkersMatchOnlyOnCharacterBoundaries) {
  // "\xB0\x41" is one two-byte character; its second byte is not an "A".
  EXPECT_EQ(TextBetween("\xB0"
                        "A1A2B",
                        "A", "B"),
            Text("2"));
  EXPECT_EQ(TextBetween("标题：版本", "标题：", ""), Text());
  EXPECT_EQ(TextBetween("标题：版本2.2。", "版本", "。"), Text("2.2"));
}

TEST(TextBetweenFromTest, MovesThePositionPastTheEndMarker) {
  const Text page = "<t>one</t><t>two</t>";
  std::int32_t position = 0;
  EXPECT_EQ(TextBetweenFrom(page, "<t>", "</t>", position), Text("one"));
  EXPECT_EQ(position, 11);
  EXPECT_EQ(TextBetweenFrom(page, "<t>", "</t>", position), Text("two"));
  EXPECT_EQ(position, 21);
  EXPECT_EQ(TextBetweenFrom(page, "<t>", "</t>", position), Text());
  EXPECT_EQ(position, 0);
}

TEST(TextBetweenFromTest, MissingMarkersResetThePosition) {
  std::int32_t position = 5;
  EXPECT_EQ(TextBetweenFrom("abc", "x", "c", position), Text());
  EXPECT_EQ(position, 0);
  position = 1;
  EXPECT_EQ(TextBetweenFrom("abc", "a", "x", position), Text());
  EXPECT_EQ(position, 0);
  position = 1;
  EXPECT_EQ(TextBetweenFrom("abc", "", "c", position), Text());
  EXPECT_EQ(position, 0);
}

TEST(TextBetweenFromTest, KeepsHashAndCaseAsTheyAre) {
  std::int32_t position = 0;
  EXPECT_EQ(TextBetweenFrom("<TITLE>x</TITLE>", "<title>", "</title>", position), Text());
  position = 0;
  EXPECT_EQ(TextBetweenFrom("#a#b#", "#a#", "#", position), Text("b"));
  EXPECT_EQ(position, 6);
}

TEST(TextBetweenFromTest, EmptyBetweenAdjacentMarkers) {
  std::int32_t position = 0;
  EXPECT_EQ(TextBetweenFrom("<t></t>", "<t>", "</t>", position), Text());
  EXPECT_EQ(position, 8);
}

TEST(AfterFirstColonTest, TakesTheRestTrimmed) {
  EXPECT_EQ(AfterFirstColon("User-Agent:  Agent/1.0 "), Text("Agent/1.0"));
  EXPECT_EQ(AfterFirstColon("a:b:c"), Text("b:c"));
  EXPECT_EQ(AfterFirstColon("a:"), Text());
  EXPECT_EQ(AfterFirstColon("no colon"), Text());
  EXPECT_EQ(AfterFirstColon(""), Text());
  // Full-width spaces are trimmed too; a trailing line break stays.
  EXPECT_EQ(AfterFirstColon("k:\xA1\xA1v\r\n"), Text("v\r\n"));
}

}  // namespace
}  // namespace lq
