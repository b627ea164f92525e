// GBK <-> UTF-16 through code page 936, the one conversion every W call of the program uses.
#include <gtest/gtest.h>

#include <string>

#include "runtime/platform/code_pages.h"

namespace lq {
namespace {

TEST(WideText, GbkAndUtf16RoundTrip) {
  EXPECT_EQ(GbkToWide("设置"), L"设置");
  EXPECT_EQ(WideToGbk(L"设置"), "设置");
  // "悍警巨魔.zip" spelled out, so the check does not depend on the source encoding.
  const std::string name = "\xBA\xB7\xBE\xAF\xBE\xDE\xC4\xA7.zip";
  EXPECT_EQ(GbkToWide(name), L"\u608D\u8B66\u5DE8\u9B54.zip");
  EXPECT_EQ(WideToGbk(GbkToWide(name)), name);
}

TEST(WideText, EmptyStaysEmpty) {
  EXPECT_EQ(GbkToWide(""), L"");
  EXPECT_EQ(WideToGbk(L""), "");
}

TEST(WideText, ZerosInsideTheTextAreKept) {
  const std::string gbk("a\0\xD6\xD0", 4);
  const std::wstring wide(L"a\0\u4E2D", 3);
  EXPECT_EQ(GbkToWide(gbk), wide);
  EXPECT_EQ(WideToGbk(wide), gbk);
}

TEST(WideText, CharactersOutsideGbkBecomeQuestionMarks) {
  const std::string lost = WideToGbk(L"\U0001F600");  // not in GBK
  EXPECT_FALSE(lost.empty());
  EXPECT_EQ(lost.find_first_not_of('?'), std::string::npos);
  EXPECT_EQ(WideToGbk(L"a\U0001F600b").front(), 'a');
  EXPECT_EQ(WideToGbk(L"a\U0001F600b").back(), 'b');
}

TEST(WideText, BytesThatAreNoGbkDoNotLoseTheRestOfTheText) {
  // A lead byte cut off at the end: the text before it still converts.
  const std::wstring cut = GbkToWide("ab\x81");
  ASSERT_EQ(cut.size(), 3u);
  EXPECT_EQ(cut.substr(0, 2), L"ab");
  // A lead byte followed by no valid trail byte, then a character.
  const std::wstring broken = GbkToWide("\x81\x20\xD6\xD0");
  ASSERT_FALSE(broken.empty());
  EXPECT_EQ(broken.back(), L'\u4E2D');
}

}  // namespace
}  // namespace lq
