// GBK texts and UTF-16 at the Windows boundary: every text that crosses into a W function is
// converted from GBK (code page 936, named explicitly, so a Windows of any language gives the same
// result) and every text that comes back is converted to GBK.
#pragma once

#include <string>
#include <string_view>

namespace lq {

// Bytes that are no GBK character are replaced as the platform converts them; the rest of the
// text still converts. Embedded zero bytes are kept.
std::wstring GbkToWide(std::string_view gbk);
// Characters outside GBK become '?'. Embedded zero units are kept.
std::string WideToGbk(std::wstring_view wide);

}  // namespace lq
