// The tray icon: a 16 x 16, 32-bit icon held as the bytes of an icon file, and its tip.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "runtime/commands/values.h"

namespace lq {

inline constexpr const char* kTrayTip = "LOLQuillet皮肤修改";

// Icon file layout: 6-byte header, one 16-byte directory entry, the image at offset 22.
inline constexpr std::size_t kTrayIconFileSize = 1150;
inline constexpr std::size_t kTrayIconImageOffset = 22;
inline constexpr std::size_t kTrayIconImageSize = 1128;  // 40 header + 16*16*4 colour + 16*4 mask

std::span<const std::uint8_t, kTrayIconFileSize> TrayIconBytes();
ByteSet TrayIconByteSet();

}  // namespace lq
