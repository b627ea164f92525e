// PNG through libpng's simplified reader: 8-bit blue, green, red, alpha, top row first, sRGB with
// the file's gamma honoured. A file without colour information shows its samples as sRGB, at any
// bit depth, as other viewers show it.
#include <png.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstring>
#include <vector>

#include "runtime/pictures/byte_reader.h"
#include "runtime/pictures/decoders.h"

namespace lq::pictures {
namespace {

// The simplified reader frees itself when a call fails; otherwise this does.
struct ImageReader {
  png_image image{};
  ImageReader() { image.version = PNG_IMAGE_VERSION; }
  ~ImageReader() { png_image_free(&image); }
  ImageReader(const ImageReader&) = delete;
  ImageReader& operator=(const ImageReader&) = delete;
};

// The header chunk lies at a fixed place: length, "IHDR", width, height, bit depth, colour type,
// compression, filter, interlace.
bool InterlacedSixteenBit(Bytes data) {
  return data.size() >= 29 && data[12] == 'I' && data[13] == 'H' && data[14] == 'D' &&
         data[15] == 'R' && data[24] == 16 && data[28] != 0;
}

// Whether a chunk before the image data says how the samples are encoded: gamma, sRGB,
// chromaticities or an ICC profile. Chunks are walked by their lengths; one that runs past the
// data ends the walk.
bool HasColourInformation(Bytes data) {
  std::size_t pos = 8;
  while (pos + 8 <= data.size()) {
    const std::uint32_t length = BigEndian32(&data[pos]);
    const char* type = reinterpret_cast<const char*>(&data[pos + 4]);
    if (std::memcmp(type, "IDAT", 4) == 0 || std::memcmp(type, "IEND", 4) == 0) {
      return false;
    }
    for (const char* colour : {"gAMA", "sRGB", "cHRM", "iCCP"}) {
      if (std::memcmp(type, colour, 4) == 0) {
        return true;
      }
    }
    if (length > data.size() - pos - 8 || data.size() - pos - 8 - length < 4) {
      return false;
    }
    pos += 12 + std::size_t{length};
  }
  return false;
}

// The 8-bit sRGB value of each 16-bit linear intensity, with the library's gamma of 2.2 for sRGB.
const std::array<std::uint8_t, 65536>& LinearToSrgb() {
  static const auto table = [] {
    std::array<std::uint8_t, 65536> t{};
    for (std::size_t i = 0; i < t.size(); ++i) {
      t[i] = static_cast<std::uint8_t>(
          std::lround(255.0 * std::pow(static_cast<double>(i) / 65535.0, 1 / 2.2)));
    }
    return t;
  }();
  return table;
}

// The 8-bit value of each 16-bit sample, unchanged in meaning: v x 255 / 65535, rounded.
const std::array<std::uint8_t, 65536>& SampleTo8Bit() {
  static const auto table = [] {
    std::array<std::uint8_t, 65536> t{};
    for (std::uint32_t i = 0; i < t.size(); ++i) {
      t[i] = static_cast<std::uint8_t>((i * 255 + 32767) / 65535);
    }
    return t;
  }();
  return table;
}

// Interlaced 16-bit pictures read to 8 bits come out scrambled from the library as built here:
// its interlaced 16-to-8-bit path copies each row from a buffer that holds only the current pass,
// so every pass wipes the pixels of the passes before. Such pictures are read as the library's
// 16-bit linear output (premultiplied alpha), which takes another path, and brought to 8 bits
// here through `to_8bit`: to sRGB as the library would for a file with colour information. A file
// without any is taken by the library as linear, so its linear output holds the samples as
// stored, and those are what is shown.
bool ReadThroughLinear(ImageReader& reader, Picture& picture,
                       const std::array<std::uint8_t, 65536>& to_8bit) {
  reader.image.format = PNG_FORMAT_LINEAR_RGB_ALPHA;
  std::vector<std::uint16_t> linear(PNG_IMAGE_SIZE(reader.image) / sizeof(std::uint16_t));
  if (!png_image_finish_read(&reader.image, nullptr, linear.data(), 0, nullptr)) {
    return false;
  }
  const std::size_t pixels = static_cast<std::size_t>(picture.width) * picture.height;
  for (std::size_t i = 0; i < pixels; ++i) {
    const std::uint16_t* in = &linear[i * 4];    // red, green, blue, alpha
    std::uint8_t* out = &picture.pixels[i * 4];  // blue, green, red, alpha
    const std::uint32_t alpha = in[3];
    for (int c = 0; c < 3; ++c) {
      const std::uint32_t value =
          alpha == 0 ? 0 : std::min<std::uint32_t>(65535, (in[c] * 65535u + alpha / 2) / alpha);
      out[2 - c] = to_8bit[value];
    }
    out[3] = static_cast<std::uint8_t>((alpha * 255 + 32767) / 65535);
  }
  return true;
}

}  // namespace

Decoded<Picture> DecodePng(Bytes data) {
  if (data.empty()) {
    return DecodeFailure::kTruncated;
  }
  ImageReader reader;
  if (!png_image_begin_read_from_memory(&reader.image, data.data(), data.size())) {
    return DecodeFailure::kPngLibraryError;
  }
  const bool through_linear = InterlacedSixteenBit(data);
  // Reading through linear values holds them (8 bytes a pixel) beside the picture.
  const std::int64_t extra =
      through_linear ? std::int64_t{reader.image.width} * reader.image.height * 8 : 0;
  if (!PictureFits(reader.image.width, reader.image.height, 32, extra)) {
    return DecodeFailure::kTooLarge;
  }
  // Without colour information the library takes 16-bit samples as linear; they are sRGB, as
  // samples of every other depth are.
  const bool samples_as_srgb = !HasColourInformation(data);
  Picture picture;
  picture.kind = PictureKind::kPng;
  picture.width = static_cast<std::int32_t>(reader.image.width);
  picture.height = static_cast<std::int32_t>(reader.image.height);
  picture.layout = PixelLayout::kBgra32TopDown;
  picture.stride = picture.width * 4;
  picture.pixels.resize(static_cast<std::size_t>(picture.stride) * picture.height);
  if (through_linear) {
    if (!ReadThroughLinear(reader, picture, samples_as_srgb ? SampleTo8Bit() : LinearToSrgb())) {
      return DecodeFailure::kPngLibraryError;
    }
    return picture;
  }
  if (samples_as_srgb) {
    reader.image.flags |= PNG_IMAGE_FLAG_16BIT_sRGB;
  }
  reader.image.format = PNG_FORMAT_BGRA;
  if (!png_image_finish_read(&reader.image, nullptr, picture.pixels.data(), 0, nullptr)) {
    return DecodeFailure::kPngLibraryError;
  }
  return picture;
}

}  // namespace lq::pictures
