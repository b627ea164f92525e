// GBK texts and UTF-16 at the Windows boundary: every text that crosses into a W function is
// converted from GBK (code page 936, named explicitly) and every text that comes back is converted
// to GBK. Characters that GBK cannot hold come back as '?'.
#pragma once

#include <string>
#include <string_view>

namespace lq {

std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);

}  // namespace lq
