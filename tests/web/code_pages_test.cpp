// The same expectations hold natively and under Windows: the portable conversions must give what
// the system's code pages give.
#include "web/code_pages.h"

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
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\u20AC")), Text("\x80"));
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\u00A5")), Text("\xA3\xA4"));  // best fit: full-width yen
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\u00C0")), Text("\xA8\xA4"));  // best fit: a with grave
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\uE000")), Text("\xAA\xA1"));  // user-defined area
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\uF8F5")), Text("\xFF"));
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\uF900")), Text("\xD8\x4D"));  // compatibility ideograph
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\u00A9\uFFFD")), Text("??"));
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\U0001F600x")), Text("??x"));  // each half of the surrogate pair
  EXPECT_EQ(Utf8ToGbk(Utf8(u8"\uFEFFBOM")), Text("?BOM"));
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
  EXPECT_EQ(CodePageToWide("中文", kGbkCodePage), Units({0x4E2D, 0x6587, 0}));
  EXPECT_EQ(CodePageToWide("\x80\xFF", kGbkCodePage), Units({0x20AC, 0xF8F5, 0}));
  EXPECT_EQ(CodePageToWide("\xAA\xA1\xA1\x40", kGbkCodePage), Units({0xE000, 0xE4C6, 0}));
  // A lead byte with a byte that cannot follow it is one "?" for both; at the end, for itself.
  EXPECT_EQ(CodePageToWide("\x81 z", kGbkCodePage), Units({0x3F, 0x7A, 0}));
  EXPECT_EQ(CodePageToWide("a\x81", kGbkCodePage), Units({0x61, 0x3F, 0}));
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
  EXPECT_EQ(WideToCodePage(Units({0x4E2D, 0}), kUtf8CodePage), Utf8(u8"中"));
  EXPECT_EQ(WideToCodePage(Units({0xD83D, 0xDE00, 0}), kUtf8CodePage), Utf8(u8"\U0001F600"));
  EXPECT_EQ(WideToCodePage(Units({0xD800, 0x78, 0}), kUtf8CodePage), Utf8(u8"\uFFFDx"));
}

// FNV-1a over every result, each followed by a separator. The expected digests are those of the
// system's code page 936 under Windows.
class Digest {
 public:
  void Add(std::string_view bytes) {
    for (const char c : bytes) Mix(static_cast<unsigned char>(c));
    Mix(0xFF);
  }
  std::uint64_t value() const { return value_; }

 private:
  void Mix(unsigned char b) {
    value_ ^= b;
    value_ *= 0x100000001B3ull;
  }
  std::uint64_t value_ = 0xCBF29CE484222325ull;
};

TEST(CodePage936Test, EveryUnitConvertsAsWindowsDoes) {
  Digest digest;
  for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
    digest.Add(WideToCodePage(Units({static_cast<std::uint16_t>(unit), 0}), kGbkCodePage).view());
  }
  EXPECT_EQ(digest.value(), 3618772549717078773u);
}

TEST(CodePage936Test, EveryPairConvertsAsWindowsDoes) {
  Digest digest;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned trail = 0x01; trail <= 0xFF; ++trail) {
      const char pair[] = {static_cast<char>(lead), static_cast<char>(trail), 0};
      digest.Add(CodePageToWide(pair, kGbkCodePage).view());
    }
  }
  EXPECT_EQ(digest.value(), 13471993493467569938u);
}

}  // namespace
}  // namespace lq
