#include <gtest/gtest.h>

#include "runtime/platform/code_pages.h"

namespace lq::platform {
namespace {

TEST(Utf8CodecTest, WellFormedRoundTrip) {
  const std::string utf8 = "a\xC3\xA9\xE4\xB8\xAD\xF0\x9F\x98\x80";
  const std::u16string utf16 = u"a\u00E9\u4E2D\U0001F600";
  EXPECT_EQ(Utf16FromUtf8(utf8), utf16);
  EXPECT_EQ(Utf8FromUtf16(utf16), utf8);
}

TEST(Utf8CodecTest, ReplacementOfMalformedSequences) {
  EXPECT_EQ(Utf16FromUtf8("\xC3(x"), u"\uFFFD(x");
  EXPECT_EQ(Utf16FromUtf8("\xE4\xB8(x"), u"\uFFFD(x");
  EXPECT_EQ(Utf16FromUtf8("\xED\xA0\x80"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xC1\xBF"), u"\uFFFD\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xFF"), u"\uFFFD");
  // Reaching past the end of the bytes: one replacement, whatever else the cut sequence held.
  EXPECT_EQ(Utf16FromUtf8("\xF0\x9F\x98"), u"\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xF0"
                          "A"),
            u"\uFFFD");
  EXPECT_EQ(Utf16FromUtf8("\xE4"
                          "A"),
            u"\uFFFD");
  // A zero-terminated text converts with its terminator, which the cut sequence may take along.
  EXPECT_EQ(Utf16FromUtf8(std::string_view("\xE4"
                                           "A",
                                           3)),
            std::u16string(u"\uFFFDA\0", 3));
  EXPECT_EQ(Utf16FromUtf8(std::string_view("\xF0"
                                           "A",
                                           3)),
            u"\uFFFD");
}

TEST(Utf8CodecTest, LoneSurrogatesBecomeReplacements) {
  EXPECT_EQ(Utf8FromUtf16(u"\xD800x"), "\xEF\xBF\xBDx");
  EXPECT_EQ(Utf8FromUtf16(std::u16string(1, u'\xDC00')), "\xEF\xBF\xBD");
}

}  // namespace
}  // namespace lq::platform
