// PCX: run-length coded lines of 8 bits or 1 bit a pixel on one plane, or of 8 bits on three
// planes (red, green, blue: 24-bit colour).
#include <algorithm>
#include <cstring>

#include "runtime/pictures/byte_reader.h"
#include "runtime/pictures/decoders.h"

namespace lq::pictures {
namespace {

#pragma pack(push, 1)
struct PcxHeader {
  std::uint8_t manufacturer;  // 0x0a
  std::uint8_t version;       // 0 to 5
  std::uint8_t encoding;      // 1: run-length coded
  std::uint8_t bits_per_pixel;
  std::uint16_t left;
  std::uint16_t top;
  std::uint16_t right;
  std::uint16_t bottom;
  std::uint16_t horizontal_dpi;
  std::uint16_t vertical_dpi;
  std::uint8_t ega_palette[48];
  std::uint8_t reserved;
  std::uint8_t planes;
  std::uint16_t bytes_per_line;  // a plane's line, decoded
  std::uint16_t palette_info;
  std::uint16_t screen_width;
  std::uint16_t screen_height;
  std::uint8_t filler[54];
};
#pragma pack(pop)
static_assert(sizeof(PcxHeader) == 128);

constexpr std::uint8_t kPaletteMarker = 12;
constexpr std::size_t kPaletteBytes = 768;

}  // namespace

Decoded<Picture> DecodePcx(Bytes data) {
  ByteReader reader(data);
  PcxHeader header;
  if (data.size() <= sizeof(PcxHeader) || !reader.ReadStruct(header)) {
    return DecodeFailure::kTruncated;
  }
  if (header.manufacturer != 0x0a || header.encoding != 1 || header.version > 5 ||
      header.right < header.left || header.bottom < header.top) {
    return DecodeFailure::kBadHeader;
  }
  const int bits = header.bits_per_pixel;
  if (bits != 8 && bits != 1) {
    return DecodeFailure::kUnsupportedBitCount;
  }
  // One plane of 8 or 1 bits, or three planes of 8 bits: a line of red, then of green, of blue.
  const int planes = header.planes;
  if (planes != 1 && !(planes == 3 && bits == 8)) {
    return DecodeFailure::kUnsupportedPlanes;
  }
  const bool true_colour = planes == 3;
  const std::int64_t width = header.right - header.left + 1;
  const std::int64_t height = header.bottom - header.top + 1;
  if (!DimensionsAllowed(width, height) || !PictureFits(width, height, true_colour ? 24 : bits)) {
    return DecodeFailure::kTooLarge;
  }
  const std::int64_t row_bytes = (width * bits + 7) / 8;
  const std::int64_t line_bytes = header.bytes_per_line;  // of each plane
  const std::int64_t scan_bytes = line_bytes * planes;
  const std::uint64_t total = static_cast<std::uint64_t>(scan_bytes) * height;
  // A line too short for the width, or more lines than the data could hold at the longest runs
  // (63 bytes from 2), give nothing before anything is allocated.
  if (line_bytes < row_bytes) {
    return DecodeFailure::kBadHeader;
  }
  if (total > std::uint64_t{reader.remaining()} * 32) {
    return DecodeFailure::kTruncated;
  }

  Picture picture;
  picture.kind = bits == 8 ? PictureKind::kPcx8 : PictureKind::kPcx1;
  picture.width = static_cast<std::int32_t>(width);
  picture.height = static_cast<std::int32_t>(height);
  picture.layout = true_colour ? PixelLayout::kBgr24BottomUp
                   : bits == 8 ? PixelLayout::kIndexed8TopDown
                               : PixelLayout::kMono1TopDown;
  picture.stride = DibStride(width, true_colour ? 24 : bits);
  picture.pixels.resize(static_cast<std::size_t>(picture.stride) * picture.height, 0);

  // The lines are decoded as one stream: a run may carry on into the next line. Only the first
  // row_bytes of each plane's line are pixels. Three planes go to the blue, green, red bytes of
  // the bottom-up rows.
  std::uint64_t produced = 0;
  auto put = [&](std::uint8_t value, std::uint64_t count) {
    while (count > 0 && produced < total) {
      const std::uint64_t line = produced / scan_bytes;
      const std::uint64_t in_scan = produced % scan_bytes;
      const std::uint64_t plane = in_scan / line_bytes;
      const std::uint64_t column = in_scan % line_bytes;
      const std::uint64_t n = std::min<std::uint64_t>(count, line_bytes - column);
      if (column < static_cast<std::uint64_t>(row_bytes)) {
        const std::uint64_t in_row = std::min<std::uint64_t>(n, row_bytes - column);
        if (true_colour) {
          std::uint8_t* out = picture.pixels.data() + (height - 1 - line) * picture.stride +
                              column * 3 + (2 - plane);
          for (std::uint64_t i = 0; i < in_row; ++i) {
            out[i * 3] = value;
          }
        } else {
          std::memset(picture.pixels.data() + line * picture.stride + column, value, in_row);
        }
      }
      produced += n;
      count -= n;
    }
  };
  while (produced < total) {
    std::uint8_t byte;
    if (!reader.ReadU8(byte)) {
      return DecodeFailure::kTruncated;  // the data end before the last line
    }
    if (byte > 192) {
      std::uint8_t value;
      if (!reader.ReadU8(value)) {
        return DecodeFailure::kTruncated;
      }
      put(value, byte - 192u);
    } else {
      put(byte, 1);
    }
  }

  if (true_colour) {
    return picture;
  }
  if (bits == 1) {
    picture.palette = {0, 0, 0, 0, 255, 255, 255, 0};
    return picture;
  }
  // A 12 after the pixel data announces the palette; without one it stays black.
  picture.palette.assign(256 * 4, 0);
  std::uint8_t marker;
  if (reader.ReadU8(marker) && marker == kPaletteMarker) {
    std::span<const std::uint8_t> rgb;
    if (!reader.Take(kPaletteBytes, rgb)) {
      return DecodeFailure::kTruncated;
    }
    for (std::size_t i = 0; i < 256; ++i) {
      picture.palette[i * 4] = rgb[i * 3 + 2];
      picture.palette[i * 4 + 1] = rgb[i * 3 + 1];
      picture.palette[i * 4 + 2] = rgb[i * 3];
    }
  }
  return picture;
}

}  // namespace lq::pictures
