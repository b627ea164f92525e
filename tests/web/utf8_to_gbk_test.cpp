// The web's conversions of texts and UTF-16 byte sets; the code pages themselves are the platform
// layer's (tests/platform/code_pages_test.cpp).
#include "web/utf8_to_gbk.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lq {
namespace {

// UTF-8 bytes as a Text, unaffected by the GBK execution character set. Characters outside GBK
// are written as escapes: the test macros also quote their arguments as narrow GBK literals.
Text Utf8(std::u8string_view s) {
  return Text(std::string_view(reinterpret_cast<const char*>(s.data()), s.size()));
}

ByteSet Units(std::initializer_list<std::uint16_t> units) {
  std::vector<std::uint8_t> bytes;
  for (const std::uint16_t u : units) {
    bytes.push_back(static_cast<std::uint8_t>(u & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(u >> 8));
  }
  return ByteSet(std::move(bytes));
}

TEST(Utf8ToGbkTest, ChinesePageText) {
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"皮肤包 V2.3_免费高速下载|百度云 网盘-分享无限制</title>")),
            Text("皮肤包 V2.3_免费高速下载|百度云 网盘-分享无限制</title>"));
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"英雄联盟　全角空格")), Text("英雄联盟　全角空格"));
  EXPECT_EQ(Utf8ToGbk("plain ascii\r\n"), Text("plain ascii\r\n"));
  EXPECT_EQ(Utf8ToGbk(""), Text());
}

TEST(Utf8ToGbkTest, CharactersBeyondGbkFollowCodePage936) {
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\u00A5\uE000\u00A9")), Text("\xA3\xA4\xAA\xA1?"));
}

TEST(Utf8ToGbkTest, MalformedUtf8) {
  EXPECT_EQ(Utf8ToGbk("a\xC3(b"), Text("a?(b"));
  EXPECT_EQ(Utf8ToGbk("\x80\xBF"), Text("??"));
  EXPECT_EQ(Utf8ToGbk("\xC0\xAF"), Text("??"));
  EXPECT_EQ(Utf8ToGbk("\xED\xA0\x80z"), Text("??z"));
  EXPECT_EQ(Utf8ToGbk("\xE0\x80\xAFz"), Text("??z"));
  EXPECT_EQ(Utf8ToGbk("\xF4\x90\x80\x80"), Text("???"));
  EXPECT_EQ(Utf8ToGbk("\xF8\x88\x80\x80\x80"), Text("?????"));
  // A sequence cut off by the end of the text is one "?".
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"中") + Text("\xE4\xB8")), Text("中?"));
  EXPECT_EQ(Utf8ToGbk("\xF0"
                      "A"),
            Text("?"));
}

TEST(CodePageToWideTest, UnitsWithTheirTerminator) {
  EXPECT_EQ(CodePageToWide(Utf8(u8"a中")), Units({0x61, 0x4E2D, 0}));
  EXPECT_EQ(CodePageToWide(""), Units({0}));
  EXPECT_EQ(CodePageToWide(Utf8(u8"\U0001F600")), Units({0xD83D, 0xDE00, 0}));
  // Also when a cut-off sequence meets the end of the text.
  EXPECT_EQ(CodePageToWide("\xF0"
                           "A"),
            Units({0xFFFD, 0}));
  EXPECT_EQ(CodePageToWide("\xE4"), Units({0xFFFD, 0}));
}

TEST(CodePageToWideTest, FromGbk) {
  EXPECT_EQ(CodePageToWide("中文", platform::kGbkCodePage), Units({0x4E2D, 0x6587, 0}));
  EXPECT_EQ(CodePageToWide("a\x81", platform::kGbkCodePage), Units({0x61, 0x3F, 0}));
}

TEST(CodePageToWideTest, UnknownCodePageGivesNothing) {
  EXPECT_EQ(CodePageToWide("a", 12345), ByteSet());
  EXPECT_EQ(WideToCodePage(Units({0x61, 0}), 12345), Text());
}

TEST(WideToCodePageTest, StopsAtTheFirstZeroUnit) {
  EXPECT_EQ(WideToCodePage(Units({0x4E2D, 0, 0x41, 0})), Text("中"));
  EXPECT_EQ(WideToCodePage(Units({0x41, 0x42})), Text("AB"));  // no terminator
  EXPECT_EQ(WideToCodePage(ByteSet::FromString(std::string_view("A\0B", 3))), Text("A"));
  EXPECT_EQ(WideToCodePage(ByteSet()), Text());
}

TEST(WideToCodePageTest, ToUtf8) {
  EXPECT_EQ(WideToCodePage(Units({0x4E2D, 0}), platform::kUtf8CodePage), Utf8(u8"中"));
  EXPECT_EQ(WideToCodePage(Units({0xD83D, 0xDE00, 0}), platform::kUtf8CodePage),
            Utf8(u8"\U0001F600"));
  EXPECT_EQ(WideToCodePage(Units({0xD800, 0x78, 0}), platform::kUtf8CodePage), Utf8(u8"\uFFFDx"));
}

}  // namespace
}  // namespace lq
