// Whether downloaded bytes are a zip archive that the game can mount: a local file header at the
// start, an end-of-central-directory record at the end (with its comment reaching exactly to the
// end of the bytes), and a central directory that lies inside the archive, before that record, and
// holds the entries it announces; entries that do not share their bytes; and every entry's data,
// inflated where it is deflated, has the size and the CRC-32 the directory names, so a package
// damaged on the way is refused. Zip64 archives are understood. The check reads in pieces of
// bounded size, so a package is checked in its file without holding it in memory.
//
// The work of a check is bounded by the package, whatever it holds:
// - Of the end records whose comment reaches to the end, it tries the one nearest the end and the
//   first one (bytes in a comment that look like an end record are the one ambiguity; a record
//   between them would need bytes before and after it both made up), and a directory that both
//   describe only once: at most two central directories.
// - Each directory's entries are gone through at most twice (matched with the entries verified as
//   the bytes arrived, then verified from the bytes).
// - Verifying an entry inflates no more than its declared size plus one byte. A deflated entry
//   that declares more than deflate can make of its data (1032 bytes a byte) is damaged, and a
//   directory whose entries declare more than the package's size plus 1 GiB in all is refused
//   before anything is inflated: a check inflates at most twice (package size + 1 GiB + entries).
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string_view>

namespace lq {

enum class ZipVerdict {
  kArchive,              // all checks passed
  kEmpty,                // no bytes at all
  kNoLocalHeader,        // the bytes do not start with a local file header
  kNoEndRecord,          // no end-of-central-directory record ends the bytes
  kBadEndRecord,         // the record (or its Zip64 companion) is inconsistent or spans disks
  kBadCentralDirectory,  // the central directory lies outside the archive or does not parse
  kBadEntry,             // an entry's local header or data lies outside its place or overlaps
                         // another's (as when the directory lists one entry twice)
  kDamagedEntry,         // an entry's data does not inflate to its size and CRC-32
  kUnsupportedEntry,     // an entry is encrypted or compressed other than stored or deflated
  kUnreadable,           // the bytes could not be read
  kTooLarge,             // the entries declare more than the package's size plus 1 GiB
};

std::string_view ZipVerdictName(ZipVerdict verdict);

// Random access to the bytes being checked.
class ZipBytes {
 public:
  virtual std::uint64_t size() const = 0;
  // Fills `out` with the bytes at `offset`; false when they cannot be read. The checker only asks
  // for ranges inside size().
  virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;

 protected:
  ~ZipBytes() = default;
};

// The data of one entry being verified (zip_check.cpp).
class ZipEntryData;

// Verifies the entries of an archive while its bytes arrive, in order, so that the check after
// the last byte need not read the entries' data again: each local header is followed by its data,
// inflated (or taken as stored) against the size and the CRC-32 the header names. An archive it
// cannot follow (data descriptors, Zip64 sizes, gaps, anything unexpected) is left to the full
// check. Memory stays bounded whatever the archive's size, and so does the inflating: it stops
// following at an entry that declares more than its data can make, or more in all than the bytes
// so far plus 1 GiB.
class ZipStreamCheck {
 public:
  ZipStreamCheck();
  ZipStreamCheck(const ZipStreamCheck&) = delete;
  ZipStreamCheck& operator=(const ZipStreamCheck&) = delete;
  ~ZipStreamCheck();

  void Take(std::span<const std::uint8_t> bytes);

  // Whether every entry before the central directory was followed and verified.
  bool complete() const { return state_ == State::kDirectory; }
  std::uint64_t directory_offset() const { return position_; }
  std::uint64_t entries() const { return entries_; }
  // Of the verified entries: their offsets, sizes, CRC-32s and methods, in any order.
  std::uint64_t fingerprint() const { return fingerprint_; }

 private:
  enum class State { kHeader, kName, kData, kDirectory, kLost };
  void TakeHeader(std::span<const std::uint8_t>& bytes);
  void TakeData(std::span<const std::uint8_t>& bytes);
  void EndEntry(bool good);

  State state_ = State::kHeader;
  std::uint64_t position_ = 0;  // of the entry's local header, then of the central directory
  std::uint64_t consumed_ = 0;  // bytes of the current part (header, name and extra, data)
  std::uint8_t header_[30] = {};
  std::uint16_t method_ = 0;
  std::uint32_t crc_ = 0;
  std::uint64_t compressed_ = 0;
  std::uint64_t uncompressed_ = 0;
  std::uint64_t name_and_extra_ = 0;
  std::uint64_t declared_ = 0;  // the uncompressed sizes of the entries so far
  std::uint64_t entries_ = 0;
  std::uint64_t fingerprint_ = 0;
  std::unique_ptr<ZipEntryData> data_;
};

// What one check did, to see that its work stays within the bounds above.
struct ZipCheckWork {
  std::uint64_t end_records = 0;     // found with a comment that reaches to the end
  std::uint64_t directories = 0;     // central directories read
  std::uint64_t entry_passes = 0;    // passes over a directory's entries
  std::uint64_t inflated_bytes = 0;  // made by the entries' data (stored bytes count as they are)
};

// With `streamed`, the check takes the entries that it verified as the bytes arrived (when they
// are the central directory's entries) instead of reading their data again. With `work`, it adds
// what it did there.
ZipVerdict CheckZipArchive(ZipBytes& bytes, const ZipStreamCheck* streamed = nullptr,
                           ZipCheckWork* work = nullptr);
ZipVerdict CheckZipArchive(std::span<const std::uint8_t> bytes);

}  // namespace lq
