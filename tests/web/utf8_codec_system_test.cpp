// The portable UTF-8 decoder against the system's code page 65001, over every sequence of up to
// four bytes drawn from bytes that stand for each class of lead and continuation byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "web/utf8_codec.h"

namespace lq {
namespace {

TEST(Utf8CodecSystemTest, DecodesMalformedInputAsTheSystemDoes) {
  const unsigned char kAlphabet[] = {0x41, 0x7F, 0x80, 0x8F, 0x90, 0x9F, 0xA0,
                                     0xBF, 0xC0, 0xC1, 0xC2, 0xDF, 0xE0, 0xE1,
                                     0xED, 0xEF, 0xF0, 0xF1, 0xF4, 0xF5, 0xFF};
  constexpr int kSize = sizeof kAlphabet;
  int mismatches = 0;
  for (int length = 1; length <= 4; ++length) {
    int total = 1;
    for (int i = 0; i < length; ++i) total *= kSize;
    for (int k = 0; k < total; ++k) {
      std::string in;
      for (int i = 0, x = k; i < length; ++i, x /= kSize)
        in.push_back(static_cast<char>(kAlphabet[x % kSize]));
      wchar_t out[16];
      const int n = MultiByteToWideChar(CP_UTF8, 0, in.c_str(), -1, out, 16);
      std::u16string system(out, out + n);
      // A sequence cut off by the end may take the terminator with it; otherwise it is the last
      // unit.
      if (!system.empty() && system.back() == u'\0') system.pop_back();
      if (Utf16FromUtf8(in) != system && ++mismatches <= 5) {
        ADD_FAILURE() << "differs for " << testing::PrintToString(in);
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace lq
