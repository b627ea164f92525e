#include "tools/demo/stored_zip.h"

#include <zlib.h>

#include <limits>

namespace lq::demo {
namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndOfCentralDirectorySignature = 0x06054b50;
constexpr std::uint16_t kVersionStored = 10;  // 1.0: stored entries only
constexpr std::uint16_t kMethodStored = 0;
constexpr std::uint16_t kDosTime = 0;       // 00:00:00
constexpr std::uint16_t kDosDate = 0x0021;  // 1980-01-01

class LittleEndianWriter {
 public:
  explicit LittleEndianWriter(std::vector<std::uint8_t>& out) : out_(out) {}
  void U16(std::uint16_t v) {
    out_.push_back(static_cast<std::uint8_t>(v));
    out_.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  void U32(std::uint32_t v) {
    U16(static_cast<std::uint16_t>(v));
    U16(static_cast<std::uint16_t>(v >> 16));
  }
  void Bytes(std::string_view s) { out_.insert(out_.end(), s.begin(), s.end()); }

 private:
  std::vector<std::uint8_t>& out_;
};

}  // namespace

std::vector<std::uint8_t> BuildStoredZip(std::string_view entry_name, std::string_view content) {
  constexpr std::size_t kMaxEntry = std::numeric_limits<std::uint32_t>::max() / 2;
  if (entry_name.size() > std::numeric_limits<std::uint16_t>::max() || content.size() > kMaxEntry) {
    return {};
  }
  const auto crc = static_cast<std::uint32_t>(crc32(crc32(0L, Z_NULL, 0),
                                                    reinterpret_cast<const Bytef*>(content.data()),
                                                    static_cast<uInt>(content.size())));
  const auto size = static_cast<std::uint32_t>(content.size());
  const auto name_length = static_cast<std::uint16_t>(entry_name.size());

  std::vector<std::uint8_t> zip;
  LittleEndianWriter w(zip);
  // Local file header and data.
  w.U32(kLocalHeaderSignature);
  w.U16(kVersionStored);
  w.U16(0);  // flags
  w.U16(kMethodStored);
  w.U16(kDosTime);
  w.U16(kDosDate);
  w.U32(crc);
  w.U32(size);  // compressed size
  w.U32(size);  // uncompressed size
  w.U16(name_length);
  w.U16(0);  // extra field length
  w.Bytes(entry_name);
  w.Bytes(content);
  // Central directory: one entry.
  const auto directory_offset = static_cast<std::uint32_t>(zip.size());
  w.U32(kCentralHeaderSignature);
  w.U16(kVersionStored);  // version made by (MS-DOS)
  w.U16(kVersionStored);  // version needed
  w.U16(0);               // flags
  w.U16(kMethodStored);
  w.U16(kDosTime);
  w.U16(kDosDate);
  w.U32(crc);
  w.U32(size);
  w.U32(size);
  w.U16(name_length);
  w.U16(0);  // extra field length
  w.U16(0);  // comment length
  w.U16(0);  // disk number start
  w.U16(1);  // internal attributes: text
  w.U32(0);  // external attributes
  w.U32(0);  // offset of the local header
  w.Bytes(entry_name);
  const auto directory_size = static_cast<std::uint32_t>(zip.size()) - directory_offset;
  // End of central directory.
  w.U32(kEndOfCentralDirectorySignature);
  w.U16(0);  // this disk
  w.U16(0);  // disk with the central directory
  w.U16(1);  // entries on this disk
  w.U16(1);  // entries in all
  w.U32(directory_size);
  w.U32(directory_offset);
  w.U16(0);  // comment length
  return zip;
}

}  // namespace lq::demo
