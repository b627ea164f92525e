// A conversion given lookups calls the functions they give, and converts as the linked ones do.
#include <gtest/gtest.h>
#include <windows.h>

#include "runtime/platform/code_pages.h"

namespace lq::platform {
namespace {

int g_to_wide_calls = 0;
int g_from_wide_calls = 0;

int WINAPI CountedToWide(UINT page, DWORD flags, LPCCH in, int in_size, LPWSTR out, int out_size) {
  ++g_to_wide_calls;
  return MultiByteToWideChar(page, flags, in, in_size, out, out_size);
}

int WINAPI CountedFromWide(UINT page, DWORD flags, LPCWCH in, int in_size, LPSTR out, int out_size,
                           LPCCH fallback, LPBOOL used) {
  ++g_from_wide_calls;
  return WideCharToMultiByte(page, flags, in, in_size, out, out_size, fallback, used);
}

FunctionAddress LookUpToWide() { return reinterpret_cast<FunctionAddress>(&CountedToWide); }
FunctionAddress LookUpFromWide() { return reinterpret_cast<FunctionAddress>(&CountedFromWide); }

TEST(CodePageFunctions, AConversionCallsWhatItsLookupsGive) {
  const CodePageFunctions counted{&LookUpToWide, &LookUpFromWide};
  const std::string gbk = "\xD6\xD0\xCE\xC4 ab";  // 中文 ab
  EXPECT_EQ(DecodeCodePage(gbk, kGbkCodePage, counted), DecodeCodePage(gbk, kGbkCodePage));
  EXPECT_EQ(g_to_wide_calls, 2);  // the length, then the units
  EXPECT_EQ(EncodeCodePage(u"\u4E2D\u6587 ab", kGbkCodePage, counted), gbk);
  EXPECT_EQ(g_from_wide_calls, 2);
  // Without lookups the linked functions convert.
  EXPECT_EQ(DecodeCodePage(gbk, kGbkCodePage), u"\u4E2D\u6587 ab");
  EXPECT_EQ(g_to_wide_calls, 2);
}

}  // namespace
}  // namespace lq::platform
