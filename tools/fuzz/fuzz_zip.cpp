// The zip check that decides whether a download is a skin package: the layout, every entry's
// local header, and every entry inflated against its size and CRC-32.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "skins/zip_check.h"

namespace {

class Memory final : public lq::ZipBytes {
 public:
  explicit Memory(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (!out.empty()) std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace

// The verdict is the same whether the entries were verified as the bytes arrived (in pieces of
// any size) or read again after the last byte.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  const lq::ZipVerdict read_again = lq::CheckZipArchive(bytes);
  lq::ZipStreamCheck streamed;
  const std::size_t piece = size == 0 ? 1 : data[0] % 64 + 1;
  for (std::size_t at = 0; at < size; at += piece) {
    streamed.Take(bytes.subspan(at, std::min(piece, size - at)));
  }
  Memory memory(bytes);
  if (lq::CheckZipArchive(memory, &streamed) != read_again) {
    std::abort();
  }
  return 0;
}
