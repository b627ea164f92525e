// PCX: run-length coded lines of 8 bits or 1 bit a pixel on one plane.
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

std::optional<Picture> DecodePcx(Bytes data) {
  ByteReader reader(data);
  PcxHeader header;
  if (data.size() <= sizeof(PcxHeader) || !reader.ReadStruct(header) ||
      header.manufacturer != 0x0a || header.encoding != 1 || header.version > 5 ||
      header.right < header.left || header.bottom < header.top) {
    return std::nullopt;
  }
  const int bits = header.bits_per_pixel;
  if ((bits != 8 && bits != 1) || header.planes != 1) {
    return std::nullopt;
  }
  const std::int64_t width = header.right - header.left + 1;
  const std::int64_t height = header.bottom - header.top + 1;
  if (!DimensionsAllowed(width, height)) {
    return std::nullopt;
  }
  const std::int64_t row_bytes = (width * bits + 7) / 8;
  const std::int64_t line_bytes = header.bytes_per_line;
  const std::uint64_t total = static_cast<std::uint64_t>(line_bytes) * height;
  // A line too short for the width, or more lines than the data could hold at the longest runs
  // (63 bytes from 2), give nothing before anything is allocated.
  if (line_bytes < row_bytes || total > std::uint64_t{reader.remaining()} * 32) {
    return std::nullopt;
  }

  Picture picture;
  picture.kind = bits == 8 ? PictureKind::kPcx8 : PictureKind::kPcx1;
  picture.width = static_cast<std::int32_t>(width);
  picture.height = static_cast<std::int32_t>(height);
  picture.layout = bits == 8 ? PixelLayout::kIndexed8TopDown : PixelLayout::kMono1TopDown;
  picture.stride = DibStride(width, bits);
  picture.pixels.resize(static_cast<std::size_t>(picture.stride) * picture.height, 0);

  // The lines are decoded as one stream: a run may carry on into the next line. Only the first
  // row_bytes of each line are pixels.
  std::uint64_t produced = 0;
  auto put = [&](std::uint8_t value, std::uint64_t count) {
    while (count > 0 && produced < total) {
      const std::uint64_t line = produced / line_bytes;
      const std::uint64_t column = produced % line_bytes;
      const std::uint64_t n = std::min<std::uint64_t>(count, line_bytes - column);
      if (column < static_cast<std::uint64_t>(row_bytes)) {
        const std::uint64_t in_row = std::min<std::uint64_t>(n, row_bytes - column);
        std::memset(picture.pixels.data() + line * picture.stride + column, value, in_row);
      }
      produced += n;
      count -= n;
    }
  };
  while (produced < total) {
    std::uint8_t byte;
    if (!reader.ReadU8(byte)) {
      return std::nullopt;  // the data end before the last line
    }
    if (byte > 192) {
      std::uint8_t value;
      if (!reader.ReadU8(value)) {
        return std::nullopt;
      }
      put(value, byte - 192u);
    } else {
      put(byte, 1);
    }
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
      return std::nullopt;
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
