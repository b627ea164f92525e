// Windows bitmaps: 1, 4, 8, 24 and 32 bits a pixel uncompressed, 16 and 32 bits with bit-field
// masks, and 8 and 4 bits run-length coded (RLE8, RLE4). Info headers of 40 bytes and the later
// versions that extend it (V4, V5).
#include <algorithm>
#include <array>
#include <bit>
#include <cstdlib>
#include <vector>

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
  std::uint32_t compression;
  std::uint32_t image_size;
  std::int32_t x_pixels_per_metre;
  std::int32_t y_pixels_per_metre;
  std::uint32_t colours_used;  // 0: 2 to the power of bit_count
  std::uint32_t colours_important;
};
struct BmpMasks {  // after a 40-byte header with bit fields; inside the longer headers
  std::uint32_t red;
  std::uint32_t green;
  std::uint32_t blue;
};
#pragma pack(pop)
static_assert(sizeof(BmpFileHeader) == 14);
static_assert(sizeof(BmpInfoHeader) == 40);
static_assert(sizeof(BmpMasks) == 12);

enum Compression : std::uint32_t { kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3 };

// One colour channel of a bit-field pixel: its mask's position and width, scaled to 0 to 255.
struct Channel {
  int shift = 0;
  std::uint32_t max = 0;  // 0: the channel is absent and reads 0

  static bool From(std::uint32_t mask, int bits, Channel& channel) {
    if (mask == 0) {
      channel = {};
      return true;
    }
    channel.shift = std::countr_zero(mask);
    const std::uint32_t value = mask >> channel.shift;
    // Contiguous, within the pixel and at most 16 bits wide.
    if ((value & (value + 1)) != 0 || channel.shift + std::popcount(value) > bits ||
        std::popcount(value) > 16) {
      return false;
    }
    channel.max = value;
    return true;
  }
  std::uint8_t Read(std::uint32_t pixel) const {
    if (max == 0) {
      return 0;
    }
    const std::uint32_t value = (pixel >> shift) & max;
    return static_cast<std::uint8_t>((value * 255 + max / 2) / max);
  }
};

using ColourTable = std::array<std::uint8_t, 256 * 3>;

void PutIndex(std::uint8_t* out, const ColourTable& colours, unsigned index) {
  out[0] = colours[index * 3];
  out[1] = colours[index * 3 + 1];
  out[2] = colours[index * 3 + 2];
}

// Run-length coded pixels into rows of indices (bottom row first, as stored). Pixels a run puts
// past the end of a row are dropped; pixels no run reaches keep index 0.
DecodeFailure DecodeRle(ByteReader& reader, int bits, std::int64_t width, std::int64_t height,
                        std::vector<std::uint8_t>& indices) {
  std::int64_t x = 0;
  std::int64_t y = 0;
  auto put = [&](unsigned index) {
    if (x < width && y < height) {
      indices[static_cast<std::size_t>(y * width + x)] = static_cast<std::uint8_t>(index);
    }
    ++x;
  };
  for (;;) {
    std::uint8_t count;
    std::uint8_t value;
    if (!reader.ReadU8(count) || !reader.ReadU8(value)) {
      return DecodeFailure::kTruncated;
    }
    if (count > 0) {  // a run: one index, or for RLE4 two alternating ones
      for (unsigned i = 0; i < count; ++i) {
        put(bits == 8 ? value : (i % 2 == 0 ? value >> 4 : value & 15));
      }
      continue;
    }
    if (value == 0) {  // end of line
      x = 0;
      ++y;
    } else if (value == 1) {  // end of bitmap
      return DecodeFailure::kNone;
    } else if (value == 2) {  // move right and up
      std::uint8_t dx;
      std::uint8_t dy;
      if (!reader.ReadU8(dx) || !reader.ReadU8(dy)) {
        return DecodeFailure::kTruncated;
      }
      x += dx;
      y += dy;
    } else {  // `value` indices as they are, padded to a whole number of 16-bit words
      const std::size_t bytes = bits == 8 ? value : (value + 1u) / 2;
      std::span<const std::uint8_t> literal;
      if (!reader.Take(bytes, literal) || !reader.Skip(bytes % 2)) {
        return DecodeFailure::kTruncated;
      }
      for (unsigned i = 0; i < value; ++i) {
        put(bits == 8 ? literal[i] : (i % 2 == 0 ? literal[i / 2] >> 4 : literal[i / 2] & 15));
      }
    }
    if (y >= height) {  // nothing more can land in the picture
      return DecodeFailure::kNone;
    }
  }
}

}  // namespace

Decoded<Picture> DecodeBmp(Bytes data) {
  ByteReader reader(data);
  BmpFileHeader file;
  BmpInfoHeader info;
  if (!reader.ReadStruct(file) || !reader.ReadStruct(info)) {
    return DecodeFailure::kTruncated;
  }
  if (info.size < sizeof(BmpInfoHeader)) {
    return DecodeFailure::kBadHeader;
  }
  const int bits = info.bit_count;
  const std::uint32_t compression = info.compression;
  switch (compression) {
    case kRgb:
      if (bits != 1 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
        return DecodeFailure::kUnsupportedBitCount;
      }
      break;
    case kRle8:
    case kRle4:
      if (bits != (compression == kRle8 ? 8 : 4)) {
        return DecodeFailure::kUnsupportedBitCount;
      }
      if (info.height < 0) {
        return DecodeFailure::kBadHeader;  // run-length data are always stored bottom row first
      }
      break;
    case kBitFields:
      if (bits != 16 && bits != 32) {
        return DecodeFailure::kUnsupportedBitCount;
      }
      break;
    default:
      return DecodeFailure::kUnsupportedCompression;
  }
  const std::int64_t width = std::llabs(static_cast<std::int64_t>(info.width));
  const std::int64_t height = std::llabs(static_cast<std::int64_t>(info.height));
  const bool top_down = info.height < 0;
  if (!DimensionsAllowed(width, height)) {
    return DecodeFailure::kTooLarge;
  }
  // Run-length pictures are expanded into a row of indices a pixel first.
  const std::int64_t index_bytes =
      compression == kRle8 || compression == kRle4 ? width * height : 0;
  if (!PictureFits(width, height, 24, index_bytes)) {
    return DecodeFailure::kTooLarge;
  }

  // Bit-field masks: inside the longer headers, or right after a 40-byte one. Without them 16 bits
  // are 5 of each colour and 32 bits a byte of each.
  BmpMasks masks = bits == 16 ? BmpMasks{0x7c00, 0x03e0, 0x001f} : BmpMasks{0xff0000, 0xff00, 0xff};
  std::uint64_t table_start = sizeof(BmpFileHeader) + std::uint64_t{info.size};
  if (compression == kBitFields) {
    if (!reader.ReadStruct(masks)) {
      return DecodeFailure::kTruncated;
    }
    if (info.size == sizeof(BmpInfoHeader)) {
      table_start += sizeof(BmpMasks);
    }
  }
  std::array<Channel, 3> channels;  // blue, green, red
  if (bits >= 16 && (!Channel::From(masks.blue, bits, channels[0]) ||
                     !Channel::From(masks.green, bits, channels[1]) ||
                     !Channel::From(masks.red, bits, channels[2]))) {
    return DecodeFailure::kBadMasks;
  }

  // The colour table follows the headers, for its stated length; the entries past it (and past
  // 256) stay black.
  ColourTable colours{};
  if (bits <= 8) {
    const std::uint64_t count = info.colours_used != 0 ? info.colours_used : (1u << bits);
    if (!reader.Seek(table_start) || !FitsWithin(reader.position(), count * 4, data.size())) {
      return DecodeFailure::kBadColourTable;
    }
    for (std::uint64_t i = 0; i < count; ++i) {
      std::array<std::uint8_t, 4> entry{};  // blue, green, red, unused
      (void)reader.ReadStruct(entry);
      if (i < 256) {
        colours[i * 3] = entry[0];
        colours[i * 3 + 1] = entry[1];
        colours[i * 3 + 2] = entry[2];
      }
    }
  } else if (!reader.Seek(std::min<std::uint64_t>(table_start, data.size()))) {
    return DecodeFailure::kTruncated;
  }
  if (file.pixel_offset < reader.position() || !reader.Seek(file.pixel_offset)) {
    return DecodeFailure::kBadPixelOffset;
  }

  Picture picture;
  picture.kind = PictureKind::kBmp;
  picture.width = static_cast<std::int32_t>(width);
  picture.height = static_cast<std::int32_t>(height);
  picture.layout = PixelLayout::kBgr24BottomUp;
  picture.stride = DibStride(width, 24);

  if (index_bytes > 0) {
    std::vector<std::uint8_t> indices(static_cast<std::size_t>(index_bytes), 0);
    if (const DecodeFailure failure = DecodeRle(reader, bits, width, height, indices);
        failure != DecodeFailure::kNone) {
      return failure;
    }
    picture.pixels.resize(static_cast<std::size_t>(picture.stride) * picture.height, 0);
    for (std::int64_t y = 0; y < height; ++y) {
      std::uint8_t* out = picture.pixels.data() + y * picture.stride;
      for (std::int64_t x = 0; x < width; ++x) {
        PutIndex(out + x * 3, colours, indices[static_cast<std::size_t>(y * width + x)]);
      }
    }
    return picture;
  }

  // Each row of the file is padded to a multiple of 4 bytes; the last row's padding may be missing.
  const std::uint64_t row_bytes = (static_cast<std::uint64_t>(width) * bits + 7) / 8;
  const std::uint64_t file_stride = (row_bytes + 3) / 4 * 4;
  if (!FitsWithin(reader.position(), file_stride * (height - 1) + row_bytes, data.size())) {
    return DecodeFailure::kTruncated;
  }
  picture.pixels.resize(static_cast<std::size_t>(picture.stride) * picture.height, 0);

  const std::uint8_t* rows = data.data() + reader.position();
  const bool plain_bytes = bits == 24 || (bits == 32 && compression == kRgb);
  for (std::int64_t row = 0; row < height; ++row) {
    const std::uint8_t* source = rows + row * file_stride;
    // The file's rows run from the bottom up, or from the top down when the height is negative.
    const std::int64_t out_row = top_down ? height - 1 - row : row;
    std::uint8_t* out = picture.pixels.data() + out_row * picture.stride;
    if (plain_bytes) {  // blue, green, red (and an unused byte)
      const int step = bits / 8;
      for (std::int64_t x = 0; x < width; ++x) {
        out[x * 3] = source[x * step];
        out[x * 3 + 1] = source[x * step + 1];
        out[x * 3 + 2] = source[x * step + 2];
      }
    } else if (bits >= 16) {
      const int step = bits / 8;
      for (std::int64_t x = 0; x < width; ++x) {
        const std::uint8_t* p = source + x * step;
        const std::uint32_t pixel = step == 2 ? std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8)
                                              : std::uint32_t{p[0]} | (std::uint32_t{p[1]} << 8) |
                                                    (std::uint32_t{p[2]} << 16) |
                                                    (std::uint32_t{p[3]} << 24);
        for (int c = 0; c < 3; ++c) {
          out[x * 3 + c] = channels[c].Read(pixel);
        }
      }
    } else {
      const int per_byte = 8 / bits;
      const unsigned mask = (1u << bits) - 1;
      for (std::int64_t x = 0; x < width; ++x) {
        const int shift = 8 - bits * (1 + static_cast<int>(x % per_byte));
        PutIndex(out + x * 3, colours, (source[x / per_byte] >> shift) & mask);
      }
    }
  }
  return picture;
}

}  // namespace lq::pictures
