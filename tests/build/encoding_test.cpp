// The build turns the UTF-8 sources' narrow literals into GBK bytes; everything else relies on it.
#include <gtest/gtest.h>

#include <string_view>

TEST(SourceEncoding, NarrowLiteralsAreGbk) {
  EXPECT_EQ(std::string_view("设置"), std::string_view("\xC9\xE8\xD6\xC3"));
  EXPECT_EQ(std::string_view("英雄联盟"), std::string_view("\xD3\xA2\xD0\xDB\xC1\xAA\xC3\xCB"));
}

TEST(SourceEncoding, WideLiteralsStayUtf16) {
  EXPECT_EQ(std::wstring_view(L"设置"), std::wstring_view(L"\x8BBE\x7F6E"));
}
