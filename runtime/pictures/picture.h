// A decoded picture of a picture box: its kind, size and pixel rows in the layout that is drawn.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "runtime/pictures/pixel_buffer.h"

namespace lq::pictures {

// Numbered as the picture box's kinds of picture.
enum class PictureKind : int {
  kNone = 0,
  kJpeg = 1,
  kBmp = 2,
  kIcon = 3,
  kCursor = 4,
  kGif = 5,
  kPcx8 = 6,
  kPcx1 = 7,
  kPng = 8,
};

// How `Picture::pixels` is laid out. Rows are padded to `stride` bytes.
enum class PixelLayout {
  kNone,
  // Blue, green, red; bottom row first; stride a multiple of 4 (a 24-bit bottom-up DIB). JPEG, BMP.
  kBgr24BottomUp,
  // Blue, green, red, alpha (not premultiplied); top row first; stride 4 x width. PNG, GIF.
  kBgra32TopDown,
  // One palette index a pixel; top row first; stride a multiple of 4. PCX 8-bit.
  kIndexed8TopDown,
  // One bit a pixel, most significant first, 0 black and 1 white; top row first; stride a
  // multiple of 4. PCX 1-bit.
  kMono1TopDown,
  // The chosen image of an icon or cursor file, as the system builds an icon from it. ICO, CUR.
  kIconResource,
};

// The image of an icon or cursor file that is turned into an icon handle.
struct IconImage {
  bool cursor = false;          // the file's type is 2
  std::int32_t width = 0;       // the image header's width
  std::int32_t height = 0;      // half the image header's height (it counts the mask too)
  std::uint16_t bit_count = 0;  // the image header's bits per pixel; 32 for a PNG image
  std::uint16_t hotspot_x = 0;  // cursors: from the directory entry
  std::uint16_t hotspot_y = 0;
  std::vector<std::uint8_t> bytes;  // the image data (header, colours, masks) as in the file
};

struct Picture {
  PictureKind kind = PictureKind::kNone;
  std::int32_t width = 0;
  std::int32_t height = 0;
  PixelLayout layout = PixelLayout::kNone;
  std::int32_t stride = 0;
  PixelBuffer pixels;
  // Indexed and monochrome layouts: 4 bytes an entry (blue, green, red, 0).
  std::vector<std::uint8_t> palette;
  // Icons and cursors.
  IconImage icon;

  bool empty() const { return kind == PictureKind::kNone; }
};

// Pictures larger than this are refused before anything is allocated for them.
inline constexpr std::int64_t kMaxPictureSide = 16384;
inline constexpr std::int64_t kMaxPicturePixels = 16LL * 1024 * 1024;

// All the memory one picture box's picture may take: its pixels, what drawing it needs besides,
// and, while a GIF plays, its data, the screen and one saved area. A picture that would need more
// is refused before anything is allocated for it.
inline constexpr std::int64_t kMaxPictureBytes = 64LL * 1024 * 1024;
// Kept out of kMaxPictureBytes for the decoders' own tables and the rows drawing blends in turn.
inline constexpr std::int64_t kPictureBytesReserve = 2LL * 1024 * 1024;

inline bool DimensionsAllowed(std::int64_t width, std::int64_t height) {
  return width > 0 && height > 0 && width <= kMaxPictureSide && height <= kMaxPictureSide &&
         width * height <= kMaxPicturePixels;
}

// Row length of a DIB: `width` pixels of `bits` each, padded to a multiple of 4 bytes.
inline std::int32_t DibStride(std::int64_t width, int bits) {
  return static_cast<std::int32_t>(((width * bits + 31) / 32) * 4);
}

// Whether rows of `bits` a pixel (padded as a DIB's), plus `extra` bytes, fit in the budget.
inline bool PictureFits(std::int64_t width, std::int64_t height, int bits, std::int64_t extra = 0) {
  return DimensionsAllowed(width, height) &&
         std::int64_t{DibStride(width, bits)} * height + extra <=
             kMaxPictureBytes - kPictureBytesReserve;
}

}  // namespace lq::pictures
