// JPEG through libjpeg: errors and truncation must come back as no picture.
#include <cstddef>
#include <cstdint>

#include "runtime/pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)lq::pictures::DecodeJpeg(lq::pictures::Bytes(data, size));
  return 0;
}
