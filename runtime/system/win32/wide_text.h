// GBK <-> UTF-16 for the system commands, always through code page 936.
#pragma once

#include <string>
#include <string_view>

namespace lq::sys {

inline constexpr unsigned kGbkCodePage = 936;

// Bytes that are no GBK character become the replacement character, as the platform converts them.
std::wstring GbkToWide(std::string_view gbk);
// Characters outside GBK become '?'.
std::string WideToGbk(std::wstring_view wide);

}  // namespace lq::sys
