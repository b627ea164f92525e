// The portable UTF-8 decoder against the system's code page 65001, over every sequence of up to
// four bytes drawn from bytes that stand for each class of lead and continuation byte, converted
// as they are and with a terminator.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "runtime/platform/code_pages.h"

namespace lq::platform {
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
      for (const int size : {length, length + 1}) {  // without and with the terminator
        wchar_t out[16];
        const int n = MultiByteToWideChar(CP_UTF8, 0, in.c_str(), size, out, 16);
        const std::u16string system(out, out + n);
        const std::u16string portable =
            Utf16FromUtf8(std::string_view(in.c_str(), static_cast<std::size_t>(size)));
        if (portable != system && ++mismatches <= 5) {
          ADD_FAILURE() << "differs for " << testing::PrintToString(in) << " of size " << size;
        }
      }
    }
  }
  EXPECT_EQ(mismatches, 0);
}

}  // namespace
}  // namespace lq::platform
