// The PCX reader on any bytes.
#include <cstddef>
#include <cstdint>

#include "runtime/pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)lq::pictures::DecodePcx(lq::pictures::Bytes(data, size));
  return 0;
}
