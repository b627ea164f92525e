// The BMP reader on any bytes.
#include <cstddef>
#include <cstdint>

#include "runtime/pictures/decoders.h"
#include "tools/fuzz/fuzz_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (lq::fuzz::HugeRunLengthBmp(lq::pictures::Bytes(data, size))) {
    return 0;
  }
  const auto picture = lq::pictures::DecodeBmp(lq::pictures::Bytes(data, size));
  if (picture &&
      picture->pixels.size() != static_cast<std::size_t>(picture->stride) * picture->height) {
    __builtin_trap();
  }
  return 0;
}
