// Uncompressed Windows bitmaps of 1, 4, 8, 24 and 32 bits a pixel.
#include <array>
#include <cstdlib>

#include "runtime/pictures/byte_reader.h"
#include "runtime/pictures/decoders.h"

namespace lq::pictures {
namespace {

#pragma pack(push, 1)
struct BmpFileHeader {
  std::uint16_t type;  // "BM"
  std::uint32_t file_size;
  std::uint16_t reserved1;
  std::uint16_t reserved2;
  std::uint32_t pixel_offset;  // from the start of the file
};
struct BmpInfoHeader {
  std::uint32_t size;  // 40, or more for the later header versions that extend it
  std::int32_t width;
  std::int32_t height;  // negative: top row first
  std::uint16_t planes;
  std::uint16_t bit_count;
  std::uint32_t compression;  // 0: uncompressed
  std::uint32_t image_size;
  std::int32_t x_pixels_per_metre;
  std::int32_t y_pixels_per_metre;
  std::uint32_t colours_used;  // 0: 2 to the power of bit_count
  std::uint32_t colours_important;
};
#pragma pack(pop)
static_assert(sizeof(BmpFileHeader) == 14);
static_assert(sizeof(BmpInfoHeader) == 40);

}  // namespace

std::optional<Picture> DecodeBmp(Bytes data) {
  ByteReader reader(data);
  BmpFileHeader file;
  BmpInfoHeader info;
  if (!reader.ReadStruct(file) || !reader.ReadStruct(info)) {
    return std::nullopt;
  }
  if (info.compression != 0 || info.size < sizeof(BmpInfoHeader)) {
    return std::nullopt;
  }
  const int bits = info.bit_count;
  if (bits != 1 && bits != 4 && bits != 8 && bits != 24 && bits != 32) {
    return std::nullopt;
  }
  const std::int64_t width = std::llabs(static_cast<std::int64_t>(info.width));
  const std::int64_t height = std::llabs(static_cast<std::int64_t>(info.height));
  const bool top_down = info.height < 0;
  if (!DimensionsAllowed(width, height)) {
    return std::nullopt;
  }

  // The colour table follows the info header, for its stated length; the entries past it (and
  // past 256) stay black.
  std::array<std::uint8_t, 256 * 3> colours{};
  if (bits <= 8) {
    const std::uint64_t count = info.colours_used != 0 ? info.colours_used : (1u << bits);
    if (!reader.Seek(sizeof(BmpFileHeader) + std::uint64_t{info.size}) ||
        !FitsWithin(reader.position(), count * 4, data.size())) {
      return std::nullopt;
    }
    for (std::uint64_t i = 0; i < count; ++i) {
      std::array<std::uint8_t, 4> entry{};  // blue, green, red, unused
      reader.ReadStruct(entry);
      if (i < 256) {
        colours[i * 3] = entry[0];
        colours[i * 3 + 1] = entry[1];
        colours[i * 3 + 2] = entry[2];
      }
    }
  }
  if (file.pixel_offset < reader.position() || !reader.Seek(file.pixel_offset)) {
    return std::nullopt;
  }

  // Each row of the file is padded to a multiple of 4 bytes; the last row's padding may be missing.
  const std::uint64_t row_bytes = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
  const std::uint64_t file_stride = (row_bytes + 3) / 4 * 4;
  if (!FitsWithin(reader.position(), file_stride * (height - 1) + row_bytes, data.size())) {
    return std::nullopt;
  }

  Picture picture;
  picture.kind = PictureKind::kBmp;
  picture.width = static_cast<std::int32_t>(width);
  picture.height = static_cast<std::int32_t>(height);
  picture.layout = PixelLayout::kBgr24BottomUp;
  picture.stride = DibStride(width, 24);
  picture.pixels.resize(static_cast<std::size_t>(picture.stride) * picture.height, 0);

  const std::uint8_t* rows = data.data() + reader.position();
  for (std::int64_t row = 0; row < height; ++row) {
    const std::uint8_t* source = rows + row * file_stride;
    // The file's rows run from the bottom up, or from the top down when the height is negative.
    const std::int64_t out_row = top_down ? height - 1 - row : row;
    std::uint8_t* out = picture.pixels.data() + out_row * picture.stride;
    if (bits >= 24) {
      const int step = bits / 8;
      for (std::int64_t x = 0; x < width; ++x) {
        out[x * 3] = source[x * step];
        out[x * 3 + 1] = source[x * step + 1];
        out[x * 3 + 2] = source[x * step + 2];
      }
      continue;
    }
    const int per_byte = 8 / bits;
    const unsigned mask = (1u << bits) - 1;
    for (std::int64_t x = 0; x < width; ++x) {
      const int shift = 8 - bits * (1 + static_cast<int>(x % per_byte));
      const unsigned index = (source[x / per_byte] >> shift) & mask;
      out[x * 3] = colours[index * 3];
      out[x * 3 + 1] = colours[index * 3 + 1];
      out[x * 3 + 2] = colours[index * 3 + 2];
    }
  }
  return picture;
}

}  // namespace lq::pictures
