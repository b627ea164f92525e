// The icon and cursor directory, for each preferred size the runtime asks for.
#include <cstddef>
#include <cstdint>

#include "runtime/pictures/decoders.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const lq::pictures::Bytes bytes(data, size);
  for (int preferred : {16, 32}) {
    const auto image = lq::pictures::ChooseIconImage(bytes, preferred);
    if (image && image->bytes.size() > size) {
      __builtin_trap();
    }
  }
  (void)lq::pictures::DecodeIconFile(bytes);
  return 0;
}
