// The records of a zip archive as the zip check reads them: their signatures and sizes, the one
// bounded little-endian reader through which both checkers (the full check and the check of the
// bytes as they arrive) read every field, the local header they both parse, and the limits on
// what entries may declare, which bound the inflating a check does.
#pragma once

#include <cstddef>
#include <cstdint>
#include <limits>
#include <span>

namespace lq::zip {

inline constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
inline constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
inline constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
inline constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
inline constexpr std::uint32_t kZip64EndRecordSignature = 0x06064b50;

inline constexpr std::size_t kLocalHeaderSize = 30;
inline constexpr std::size_t kCentralHeaderSize = 46;
inline constexpr std::size_t kEndRecordSize = 22;
inline constexpr std::size_t kZip64LocatorSize = 20;
inline constexpr std::size_t kZip64EndRecordSize = 56;
inline constexpr std::size_t kMaxCommentSize = 0xffff;

inline constexpr std::uint16_t kStored = 0;
inline constexpr std::uint16_t kDeflated = 8;
inline constexpr std::uint16_t kEncryptedFlag = 1;
inline constexpr std::uint16_t kDataDescriptorFlag = 8;

// Little-endian fields of a record held in memory, read at offsets into it. Every read is bounded
// by the record: a field that would run past it reads as zero and makes ok() false.
class FieldReader {
 public:
  explicit FieldReader(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}

  std::uint16_t U16(std::size_t at) { return static_cast<std::uint16_t>(Read(at, 2)); }
  std::uint32_t U32(std::size_t at) { return static_cast<std::uint32_t>(Read(at, 4)); }
  std::uint64_t U64(std::size_t at) { return Read(at, 8); }
  // The `count` bytes at `at`; none (and ok() false) when they run past the record.
  std::span<const std::uint8_t> Bytes(std::size_t at, std::size_t count) {
    if (!Fits(at, count)) {
      ok_ = false;
      return {};
    }
    return bytes_.subspan(at, count);
  }
  std::size_t size() const { return bytes_.size(); }
  bool ok() const { return ok_; }

 private:
  bool Fits(std::size_t at, std::size_t count) const {
    return at <= bytes_.size() && count <= bytes_.size() - at;
  }
  std::uint64_t Read(std::size_t at, std::size_t count) {
    if (!Fits(at, count)) {
      ok_ = false;
      return 0;
    }
    std::uint64_t value = 0;
    for (std::size_t i = count; i-- > 0;) {
      value = value << 8 | bytes_[at + i];
    }
    return value;
  }

  std::span<const std::uint8_t> bytes_;
  bool ok_ = true;
};

// The fields of a local file header that the checks use.
struct LocalHeader {
  std::uint32_t signature = 0;
  std::uint16_t flags = 0;
  std::uint16_t method = 0;
  std::uint32_t crc = 0;
  std::uint64_t compressed = 0;
  std::uint64_t uncompressed = 0;
  std::uint64_t name_and_extra = 0;  // bytes between the header and the entry's data
};

inline LocalHeader ReadLocalHeader(std::span<const std::uint8_t, kLocalHeaderSize> bytes) {
  FieldReader r(bytes);
  LocalHeader h;
  h.signature = r.U32(0);
  h.flags = r.U16(6);
  h.method = r.U16(8);
  h.crc = r.U32(14);
  h.compressed = r.U32(18);
  h.uncompressed = r.U32(22);
  h.name_and_extra = static_cast<std::uint64_t>(r.U16(26)) + r.U16(28);
  return h;
}

// Deflate makes at most 1032 bytes of one byte of data: every byte it produces comes from a
// literal (at least one bit) or from a match of at most 258 bytes (at least two bits, one for the
// length and one for the distance).
inline constexpr std::uint64_t kMaxDeflateRatio = 1032;

// Whether an entry's data can hold the size it declares: stored data is the entry itself,
// deflated data inflates to no more than kMaxDeflateRatio times its size.
inline bool SizesPossible(std::uint16_t method, std::uint64_t compressed,
                          std::uint64_t uncompressed) {
  if (method == kStored) {
    return compressed == uncompressed;
  }
  if (method == kDeflated) {
    return compressed >= std::numeric_limits<std::uint64_t>::max() / kMaxDeflateRatio ||
           uncompressed <= compressed * kMaxDeflateRatio;
  }
  return true;
}

// What the entries of an archive may declare in all, inflated: the archive's own size plus 1 GiB,
// far beyond one skin's files. Stored entries always fit (they hold no more than the archive);
// deflated ones may grow by the 1 GiB. Checking an archive of n bytes thus inflates at most
// n + 1 GiB per directory it verifies.
inline constexpr std::uint64_t kMaxExpansion = std::uint64_t{1} << 30;
inline std::uint64_t DeclaredLimit(std::uint64_t archive_size) {
  return archive_size > std::numeric_limits<std::uint64_t>::max() - kMaxExpansion
             ? std::numeric_limits<std::uint64_t>::max()
             : archive_size + kMaxExpansion;
}

// a + b, or the largest value when that does not fit.
inline std::uint64_t SaturatingAdd(std::uint64_t a, std::uint64_t b) {
  return a > std::numeric_limits<std::uint64_t>::max() - b
             ? std::numeric_limits<std::uint64_t>::max()
             : a + b;
}

}  // namespace lq::zip
