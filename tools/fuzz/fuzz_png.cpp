// PNG through libpng's simplified reader.
#include <cstddef>
#include <cstdint>

#include "runtime/pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)lq::pictures::DecodePng(lq::pictures::Bytes(data, size));
  return 0;
}
