// The tip of a window's tray icon.
#pragma once

#include <cstddef>
#include <string_view>

namespace lq {

// The first 62 bytes of the text, without a lone lead byte at the end.
inline constexpr std::size_t kTrayTipBytes = 62;
std::string_view TrayTip(std::string_view gbk);

}  // namespace lq
