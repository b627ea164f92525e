// Zip archives built by the tests themselves: stored or deflated entries with their CRC-32,
// optionally with a comment or in the Zip64 form, and the odd forms the zip check must refuse (a
// central directory listing an entry twice, end records in the comment of the end record).
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace lq::test {

using Bytes = std::vector<std::uint8_t>;

struct ZipEntry {
  std::string name;
  std::string data;
  bool deflate = false;
};

struct ZipOptions {
  std::string comment;
  bool zip64 = false;  // classic fields of the end record set to their "see Zip64" values
  // The entries the central directory lists, in its order, by their index in the entries; empty:
  // each entry once, in order. The end record counts the listed entries.
  std::vector<std::size_t> listed;
  // Copies of the end record after it, each inside the comment of the one before and with a
  // comment of its own that reaches to the end of the archive (where `comment` follows them).
  std::size_t end_record_copies = 0;
};

struct BuiltZip {
  Bytes bytes;
  std::vector<std::size_t> local_offsets;
  std::vector<std::size_t> data_offsets;  // where each entry's (compressed) data starts
  std::size_t directory_offset = 0;
  std::size_t end_record_offset = 0;  // of the archive's own end record, before any copies
};

BuiltZip BuildZip(const std::vector<ZipEntry>& entries, const ZipOptions& options = {});

void PutText(Bytes& b, std::string_view s);
void Put16(Bytes& b, std::uint32_t v);
void Put32(Bytes& b, std::uint32_t v);
void Put64(Bytes& b, std::uint64_t v);
void Set32(Bytes& b, std::size_t at, std::uint32_t v);

}  // namespace lq::test
