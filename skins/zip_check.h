// Whether downloaded bytes are a zip archive that the game can mount: a local file header at the
// start, an end-of-central-directory record at the end (with its comment reaching exactly to the
// end of the bytes), and a central directory that lies inside the archive, before that record, and
// holds the entries it announces; and every entry's data, inflated where it is deflated, has the
// size and the CRC-32 the directory names, so a package damaged on the way is refused. Zip64
// archives are understood. The check reads in pieces of bounded size, so a package is checked in
// its file without holding it in memory.
#pragma once

#include <cstdint>
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

ZipVerdict CheckZipArchive(ZipBytes& bytes);
ZipVerdict CheckZipArchive(std::span<const std::uint8_t> bytes);

}  // namespace lq
