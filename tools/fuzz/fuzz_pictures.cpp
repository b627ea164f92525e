// Recognition and whichever decoder the first bytes choose.
#include <cstddef>
#include <cstdint>

#include "runtime/pictures/decoders.h"
#include "runtime/pictures/recognize.h"
#include "tools/fuzz/fuzz_limits.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lq::pictures::Bytes bytes(data, size);
  if (lq::fuzz::HugeGifScreen(bytes)) return 0;
  const auto kind = lq::pictures::RecognizePicture(bytes);
  const auto picture = lq::pictures::DecodePicture(bytes);
  if (picture && picture->kind != kind) {
    __builtin_trap();  // a decoder must give the kind the bytes were recognised as
  }
  return 0;
}
