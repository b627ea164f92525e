#include "web/cookies.h"

#include <gtest/gtest.h>

namespace lq {
namespace {

TEST(MergeCookiesTest, ReceivedFirstThenOldOnesWithoutAReceivedTwin) {
  Text cookies = "a=1; b=2";
  Text received = "b=3;c=deleted";
  EXPECT_EQ(MergeCookies(cookies, received), Text("b=3; a=1"));
  EXPECT_EQ(cookies, Text("b=3; a=1"));
  EXPECT_EQ(received, Text("b=3;c=deleted"));
}

TEST(MergeCookiesTest, ExactRepeatCollapses) {
  Text cookies = "a=1";
  Text received = "a=1";
  EXPECT_EQ(MergeCookies(cookies, received), Text("a=1"));
  EXPECT_EQ(received, Text("a=1"));
}

TEST(MergeCookiesTest, BothVariablesLoseTheirSpaces) {
  Text cookies = " x = 1 ; y=2 ";
  Text received = "z = 3 ;  w=4";
  EXPECT_EQ(MergeCookies(cookies, received), Text("z=3; w=4; x=1; y=2"));
  EXPECT_EQ(received, Text("z=3;w=4"));
}

TEST(MergeCookiesTest, DeletedCookiesDisappearFromBothSides) {
  Text cookies = "session=old; keep=1";
  Text received = "session=deleted";
  EXPECT_EQ(MergeCookies(cookies, received), Text("keep=1"));
  Text only_deleted = "a=1";
  Text deleting = "a=deleted";
  EXPECT_EQ(MergeCookies(only_deleted, deleting), Text());
  EXPECT_EQ(only_deleted, Text());
}

TEST(MergeCookiesTest, EmptySides) {
  Text cookies;
  Text received = "a=1; b=2";
  EXPECT_EQ(MergeCookies(cookies, received), Text("a=1; b=2"));
  EXPECT_EQ(received, Text("a=1;b=2"));
  Text old = "a=1;b=2";
  Text none;
  EXPECT_EQ(MergeCookies(old, none), Text("a=1; b=2"));
  Text empty1, empty2;
  EXPECT_EQ(MergeCookies(empty1, empty2), Text());
}

TEST(MergeCookiesTest, OldItemsOfOneNameKeepTheFirst) {
  Text cookies = "a=1;a=2;flag";
  Text received = "b=1";
  EXPECT_EQ(MergeCookies(cookies, received), Text("b=1; a=1; flag"));
}

TEST(MergeCookiesTest, EmptyItemsAreNoCookies) {
  Text cookies = "a=1;;b=2";
  Text received = ";c=3";
  EXPECT_EQ(MergeCookies(cookies, received), Text("c=3; a=1; b=2"));
}

TEST(MergeCookiesTest, ValuesHoldingEqualsSigns) {
  Text cookies = "t=a=b";
  Text received = "t=c=d";
  EXPECT_EQ(MergeCookies(cookies, received), Text("t=c=d"));
}

TEST(CookieNameTest, BeforeTheFirstEqualsSignTrimmed) {
  EXPECT_EQ(CookieName(" sid =x=y"), Text("sid"));
  EXPECT_EQ(CookieName("flag"), Text("flag"));
  EXPECT_EQ(CookieName("=v"), Text());
  EXPECT_EQ(CookieName(""), Text());
}

TEST(CookieNameTest, HasCookieNameComparesExactly) {
  const Array<Text> items{"A=1", "b", " c =3"};
  EXPECT_TRUE(HasCookieName(items, "A"));
  EXPECT_FALSE(HasCookieName(items, "a"));
  EXPECT_TRUE(HasCookieName(items, "b"));
  EXPECT_TRUE(HasCookieName(items, "c"));
  EXPECT_FALSE(HasCookieName(Array<Text>{}, ""));
}

TEST(UniqueItemsTest, DropsRepeatsKeepingTheFirst) {
  EXPECT_EQ(UniqueItems("x; y; x", "; "), Text("x; y"));
  EXPECT_EQ(UniqueItems("x; X; x; y", "; "), Text("x; X; y"));
  EXPECT_EQ(UniqueItems("", "; "), Text());
  EXPECT_EQ(UniqueItems("a,b,a,", ","), Text("a,b"));
  EXPECT_EQ(UniqueItems("a,,b,,", ","), Text("a,,b"));
}

TEST(IndexOfTextTest, FirstEqualElement) {
  const Array<Text> texts{"a", "b", "a", ""};
  EXPECT_EQ(IndexOfText(texts, "a"), 1);
  EXPECT_EQ(IndexOfText(texts, "b"), 2);
  EXPECT_EQ(IndexOfText(texts, ""), 4);
  EXPECT_EQ(IndexOfText(texts, "A"), -1);
  EXPECT_EQ(IndexOfText(Array<Text>{}, "a"), -1);
}

}  // namespace
}  // namespace lq
