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

// Whether a check stayed within its bounds: at most two central directories, each gone through
// at most twice (once when no entries were streamed), and no more inflated than deflate can make
// of the bytes of each directory's entries, which may not share bytes.
bool Bounded(const lq::ZipCheckWork& work, std::uint64_t passes, std::size_t size) {
  return work.directories <= 2 && work.entry_passes <= passes &&
         work.inflated_bytes <= 2 * 1032 * static_cast<std::uint64_t>(size);
}

// The verdict is the same whether the entries were verified as the bytes arrived (in pieces of
// any size) or read again after the last byte, and the work stays bounded either way.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::span<const std::uint8_t> bytes(data, size);
  Memory memory(bytes);
  lq::ZipCheckWork alone;
  const lq::ZipVerdict read_again = lq::CheckZipArchive(memory, nullptr, &alone);
  lq::ZipStreamCheck streamed;
  const std::size_t piece = size == 0 ? 1 : data[0] % 64 + 1;
  for (std::size_t at = 0; at < size; at += piece) {
    streamed.Take(bytes.subspan(at, std::min(piece, size - at)));
  }
  lq::ZipCheckWork after_stream;
  if (lq::CheckZipArchive(memory, &streamed, &after_stream) != read_again ||
      !Bounded(alone, 2, size) || !Bounded(after_stream, 4, size)) {
    std::abort();
  }
  return 0;
}
