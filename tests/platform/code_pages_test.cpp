// The same expectations hold natively and under Windows: the portable conversion must give what the
// system's code pages give.
#include "runtime/platform/code_pages.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <string_view>

namespace lq::platform {
namespace {

struct GbkCase {
  std::string_view gbk;
  std::u16string_view units;
};

TEST(CodePage936, ConvertsBothWays) {
  const GbkCase cases[] = {
      {"中文", u"\u4E2D\u6587"},
      {"plain ascii\r\n", u"plain ascii\r\n"},
      {"英雄联盟　全角空格", u"英雄联盟\u3000全角空格"},
      {"\x80", u"\u20AC"},                                             // the euro sign, one byte
      {"\xFF", u"\uF8F5"},                                             // beyond GBK: private use
      {"\xAA\xA1", u"\uE000"},                                         // user-defined area 1
      {"\xF8\xA1", u"\uE234"},                                         // user-defined area 2
      {"\xA1\x40", u"\uE4C6"},                                         // user-defined area 3
      {"\xA2\xAB\xFE\x50", u"\uE766\uE815"},                           // unassigned pairs
      {std::string_view("a\0b", 3), std::u16string_view(u"a\0b", 3)},  // zeros are kept
      {"", u""},
  };
  for (const GbkCase& c : cases) {
    EXPECT_EQ(DecodeCodePage(c.gbk, kGbkCodePage), std::u16string(c.units));
    EXPECT_EQ(EncodeCodePage(c.units, kGbkCodePage), std::string(c.gbk));
  }
}

TEST(CodePage936, CharactersBeyondGbkBecomeTheirBestFitOrAQuestionMark) {
  const GbkCase cases[] = {
      {"\xA3\xA4", u"\u00A5"},  // yen: full-width yen
      {"\xA8\xA4", u"\u00C0"},  // A with grave: a with grave
      {"\xD8\x4D", u"\uF900"},  // compatibility ideograph: its unified form
      {"|", u"\u00A6"},         // broken bar: one byte
      {"??", u"\u00A9\uFFFD"},  // none
      {"??x", u"\U0001F600x"},  // each half of a surrogate pair
      {"?", u"\xD800"},         // a lone surrogate
      {"?BOM", u"\uFEFFBOM"},
  };
  for (const GbkCase& c : cases) {
    EXPECT_EQ(EncodeCodePage(c.units, kGbkCodePage), std::string(c.gbk));
  }
}

TEST(CodePage936, BytesThatAreNoCharacter) {
  // A lead byte with a byte that cannot follow it is one "?" for both; at the end, for itself.
  EXPECT_EQ(DecodeCodePage("\x81 z", kGbkCodePage), u"?z");
  EXPECT_EQ(DecodeCodePage("a\x81", kGbkCodePage), u"a?");
  EXPECT_EQ(DecodeCodePage("\x81\x7F\xD6\xD0", kGbkCodePage), u"?\u4E2D");
}

TEST(CodePages, Utf8AndOtherPages) {
  EXPECT_EQ(DecodeCodePage("a\xE4\xB8\xAD", kUtf8CodePage), u"a\u4E2D");
  EXPECT_EQ(EncodeCodePage(u"a\u4E2D", kUtf8CodePage), "a\xE4\xB8\xAD");
  EXPECT_EQ(DecodeCodePage("\xE9", 1252), u"\u00E9");
  EXPECT_EQ(EncodeCodePage(u"\u00E9\u4E2D", 1252), "\xE9?");
  EXPECT_EQ(DecodeCodePage("a", 12345), std::nullopt);
  EXPECT_EQ(EncodeCodePage(u"a", 12345), std::nullopt);
}

// FNV-1a over every result, each followed by a separator. The expected digests are those of the
// system's code page 936 under Windows.
class Digest {
 public:
  void Add(std::string_view bytes) {
    for (const char c : bytes) Mix(static_cast<unsigned char>(c));
    Mix(0xFF);
  }
  void AddUnitsWithTerminator(const std::u16string& units) {
    for (const char16_t u : units) {
      Mix(static_cast<unsigned char>(u & 0xFF));
      Mix(static_cast<unsigned char>(u >> 8));
    }
    Mix(0);
    Mix(0);
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

TEST(CodePage936, EveryUnitConvertsAsWindowsDoes) {
  Digest digest;
  for (std::uint32_t unit = 1; unit < 0x10000; ++unit) {
    const std::u16string one(1, static_cast<char16_t>(unit));
    digest.Add(EncodeCodePage(one, kGbkCodePage).value_or("<none>"));
  }
  EXPECT_EQ(digest.value(), 3618772549717078773u);
}

TEST(CodePage936, EveryPairConvertsAsWindowsDoes) {
  Digest digest;
  for (unsigned lead = 0x80; lead <= 0xFF; ++lead) {
    for (unsigned trail = 0x01; trail <= 0xFF; ++trail) {
      const char pair[] = {static_cast<char>(lead), static_cast<char>(trail)};
      digest.AddUnitsWithTerminator(
          DecodeCodePage(std::string_view(pair, 2), kGbkCodePage).value_or(u"<none>"));
    }
  }
  EXPECT_EQ(digest.value(), 13471993493467569938u);
}

}  // namespace
}  // namespace lq::platform
