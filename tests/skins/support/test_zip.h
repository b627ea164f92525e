// Zip archives built by the tests themselves: stored or deflated entries with their CRC-32,
// optionally with a comment or in the Zip64 form.
#pragma once

#include <cstdint>
#include <string>
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
};

struct BuiltZip {
  Bytes bytes;
  std::vector<std::size_t> local_offsets;
  std::vector<std::size_t> data_offsets;  // where each entry's (compressed) data starts
  std::size_t directory_offset = 0;
  std::size_t end_record_offset = 0;
};

BuiltZip BuildZip(const std::vector<ZipEntry>& entries, const ZipOptions& options = {});

void Put16(Bytes& b, std::uint32_t v);
void Put32(Bytes& b, std::uint32_t v);
void Put64(Bytes& b, std::uint64_t v);
void Set32(Bytes& b, std::size_t at, std::uint32_t v);

}  // namespace lq::test
