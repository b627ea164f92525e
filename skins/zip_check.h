// Whether downloaded bytes are a zip archive that the game can mount: a local file header at the
// start, an end-of-central-directory record at the end (with its comment reaching exactly to the
// end of the bytes), and a central directory that lies inside the archive, before that record, and
// holds the entries it announces; and every entry's data, inflated where it is deflated, has the
// size and the CRC-32 the directory names, so a package damaged on the way is refused. Zip64
// archives are understood. The check reads in pieces of bounded size, so a package is checked in
// its file without holding it in memory.
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
  kDamagedEntry,         // an entry's data does not inflate to its size and CRC-32
  kUnsupportedEntry,     // an entry is encrypted or compressed other than stored or deflated
  kUnreadable,           // the bytes could not be read
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

// Verifies the entries of an archive while its bytes arrive, in order, so that the check after
// the last byte need not read the entries' data again: each local header is followed by its data,
// inflated (or taken as stored) against the size and the CRC-32 the header names. An archive it
// cannot follow (data descriptors, Zip64 sizes, gaps, anything unexpected) is left to the full
// check. Memory stays bounded whatever the archive's size.
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

  struct Inflater;
  State state_ = State::kHeader;
  std::uint64_t position_ = 0;  // of the entry's local header, then of the central directory
  std::uint64_t consumed_ = 0;  // bytes of the current part (header, name and extra, data)
  std::uint8_t header_[30] = {};
  std::uint16_t method_ = 0;
  std::uint32_t crc_ = 0;
  std::uint64_t compressed_ = 0;
  std::uint64_t uncompressed_ = 0;
  std::uint64_t name_and_extra_ = 0;
  std::uint64_t produced_ = 0;
  unsigned long running_crc_ = 0;
  std::uint64_t entries_ = 0;
  std::uint64_t fingerprint_ = 0;
  std::unique_ptr<Inflater> inflater_;
};

// With `streamed`, the check takes the entries that it verified as the bytes arrived (when they
// are the central directory's entries) instead of reading their data again.
ZipVerdict CheckZipArchive(ZipBytes& bytes, const ZipStreamCheck* streamed = nullptr);
ZipVerdict CheckZipArchive(std::span<const std::uint8_t> bytes);

}  // namespace lq
