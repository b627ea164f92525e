// What the fuzz targets leave out. A GIF's logical screen is as large as its 13-byte header says,
// up to the decoders' limit, whatever the data: a canvas of tens of megapixels takes a second or
// more to clear and copy under the sanitizers, and the fuzzer then spends its time there instead of
// on the parsing and LZW paths, which do not depend on the screen's size. The size limit itself is
// covered by the unit tests.
#pragma once

#include <cstdint>
#include <span>

#include "runtime/pictures/gif.h"

namespace lq::fuzz {

// Likewise a run-length coded BMP: a few bytes of moves may cover a picture of the largest size,
// which is allocated and cleared before its runs are read.
inline bool HugeRunLengthBmp(std::span<const std::uint8_t> bytes) {
  constexpr std::int64_t kFuzzBmpPixels = std::int64_t{1} << 20;
  if (bytes.size() < 34) {
    return false;
  }
  auto word = [&](std::size_t at) {
    return static_cast<std::int32_t>(
        std::uint32_t{bytes[at]} | (std::uint32_t{bytes[at + 1]} << 8) |
        (std::uint32_t{bytes[at + 2]} << 16) | (std::uint32_t{bytes[at + 3]} << 24));
  };
  const std::int32_t compression = word(30);
  const std::int64_t pixels = std::int64_t{word(18)} * word(22);
  return (compression == 1 || compression == 2) &&
         (pixels > kFuzzBmpPixels || pixels < -kFuzzBmpPixels);
}

inline bool HugeGifScreen(std::span<const std::uint8_t> bytes) {
  constexpr std::int64_t kFuzzScreenPixels = std::int64_t{1} << 20;
  const auto stream = pictures::ParseGif(bytes);
  return stream && std::int64_t{stream->width} * stream->height > kFuzzScreenPixels;
}

}  // namespace lq::fuzz
