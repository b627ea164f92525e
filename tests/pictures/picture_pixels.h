// Reads one pixel of a decoded picture, whatever its layout, counting rows from the top.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/pictures/picture.h"
#include "tests/pictures/fixtures.h"

namespace lq::pictures::fixtures {

inline Rgb PixelAt(const Picture& picture, int x, int y) {
  const std::uint8_t* p = nullptr;
  switch (picture.layout) {
    case PixelLayout::kBgr24BottomUp:
      p = picture.pixels.data() +
          static_cast<std::size_t>(picture.height - 1 - y) * picture.stride + x * 3;
      return {p[2], p[1], p[0]};
    case PixelLayout::kBgra32TopDown:
      p = picture.pixels.data() + static_cast<std::size_t>(y) * picture.stride + x * 4;
      return {p[2], p[1], p[0]};
    case PixelLayout::kIndexed8TopDown: {
      const std::uint8_t index = picture.pixels[static_cast<std::size_t>(y) * picture.stride + x];
      p = picture.palette.data() + index * 4;
      return {p[2], p[1], p[0]};
    }
    case PixelLayout::kMono1TopDown: {
      const std::uint8_t byte =
          picture.pixels[static_cast<std::size_t>(y) * picture.stride + x / 8];
      p = picture.palette.data() + ((byte >> (7 - x % 8)) & 1) * 4;
      return {p[2], p[1], p[0]};
    }
    default:
      return {};
  }
}

inline std::uint8_t AlphaAt(const Picture& picture, int x, int y) {
  return picture.pixels[static_cast<std::size_t>(y) * picture.stride + x * 4 + 3];
}

// The stored rows, padding included, as plain bytes.
inline Bytes StoredBytes(const Picture& picture) {
  return Bytes(picture.pixels.begin(), picture.pixels.end());
}

}  // namespace lq::pictures::fixtures
