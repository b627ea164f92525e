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

inline bool HugeGifScreen(std::span<const std::uint8_t> bytes) {
  constexpr std::int64_t kFuzzScreenPixels = std::int64_t{1} << 20;
  const auto stream = pictures::ParseGif(bytes);
  return stream && std::int64_t{stream->width} * stream->height > kFuzzScreenPixels;
}

}  // namespace lq::fuzz
