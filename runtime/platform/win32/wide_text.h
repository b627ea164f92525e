// GBK texts and UTF-16 at the Windows boundary: every text that crosses into a W function is
// converted from GBK (code page 936, named explicitly, so a Windows of any language gives the same
// result) and every text that comes back is converted to GBK.
#pragma once

#include <string>
#include <string_view>

#include "runtime/platform/code_pages.h"
#include "runtime/platform/win32/code_pages_win32.h"

namespace lq {

// Bytes that are no GBK character are replaced as the platform converts them; the rest of the
// text still converts. Embedded zero bytes are kept.
inline std::wstring GbkToWide(std::string_view gbk) {
  return platform::ToWide(gbk, platform::kGbkCodePage).value_or(std::wstring());
}
// Characters outside GBK become '?'. Embedded zero units are kept.
inline std::string WideToGbk(std::wstring_view wide) {
  return platform::FromWide(wide, platform::kGbkCodePage).value_or(std::string());
}

}  // namespace lq
