// The zip check that decides whether a download is a skin package: the layout, every entry's
// local header, and every entry inflated against its size and CRC-32.
#include <cstddef>
#include <cstdint>
#include <span>

#include "skins/zip_check.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  (void)lq::CheckZipArchive(std::span<const std::uint8_t>(data, size));
  return 0;
}
