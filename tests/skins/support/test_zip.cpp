#include "tests/skins/support/test_zip.h"

#include <zlib.h>

#include <stdexcept>

namespace lq::test {
namespace {

std::string RawDeflate(const std::string& data) {
  z_stream z{};
  if (deflateInit2(&z, Z_BEST_COMPRESSION, Z_DEFLATED, -MAX_WBITS, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::runtime_error("deflateInit2");
  }
  std::string out(deflateBound(&z, static_cast<uLong>(data.size())), '\0');
  z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data.data()));
  z.avail_in = static_cast<uInt>(data.size());
  z.next_out = reinterpret_cast<Bytef*>(out.data());
  z.avail_out = static_cast<uInt>(out.size());
  const int status = deflate(&z, Z_FINISH);
  out.resize(z.total_out);
  deflateEnd(&z);
  if (status != Z_STREAM_END) {
    throw std::runtime_error("deflate");
  }
  return out;
}

}  // namespace

void PutText(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }
void Put16(Bytes& b, std::uint32_t v) {
  b.push_back(static_cast<std::uint8_t>(v));
  b.push_back(static_cast<std::uint8_t>(v >> 8));
}
void Put32(Bytes& b, std::uint32_t v) {
  Put16(b, v & 0xffff);
  Put16(b, v >> 16);
}
void Put64(Bytes& b, std::uint64_t v) {
  Put32(b, static_cast<std::uint32_t>(v));
  Put32(b, static_cast<std::uint32_t>(v >> 32));
}
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
}

BuiltZip BuildZip(const std::vector<ZipEntry>& entries, const ZipOptions& options) {
  BuiltZip zip;
  Bytes& b = zip.bytes;
  std::vector<std::string> stored;
  std::vector<std::uint32_t> crcs;
  for (const ZipEntry& e : entries) {
    crcs.push_back(static_cast<std::uint32_t>(
        crc32(0, reinterpret_cast<const Bytef*>(e.data.data()), static_cast<uInt>(e.data.size()))));
    stored.push_back(e.deflate ? RawDeflate(e.data) : e.data);
  }
  // The fields a local header and its central header share, from "version needed" to the extra
  // field's length.
  const auto put_entry_fields = [&](std::size_t i) {
    const ZipEntry& e = entries[i];
    Put16(b, 20);  // version needed
    Put16(b, 0);   // flags
    Put16(b, e.deflate ? 8 : 0);
    Put32(b, 0);  // time, date
    Put32(b, crcs[i]);
    Put32(b, static_cast<std::uint32_t>(stored[i].size()));
    Put32(b, static_cast<std::uint32_t>(e.data.size()));
    Put16(b, static_cast<std::uint32_t>(e.name.size()));
    Put16(b, 0);  // extra
  };
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const ZipEntry& e = entries[i];
    zip.local_offsets.push_back(b.size());
    Put32(b, 0x04034b50);
    put_entry_fields(i);
    PutText(b, e.name);
    zip.data_offsets.push_back(b.size());
    PutText(b, stored[i]);
  }
  std::vector<std::size_t> listed = options.listed;
  if (listed.empty()) {
    for (std::size_t i = 0; i < entries.size(); ++i) listed.push_back(i);
  }
  zip.directory_offset = b.size();
  for (std::size_t i : listed) {
    const ZipEntry& e = entries.at(i);
    Put32(b, 0x02014b50);
    Put16(b, 20);  // version made by
    put_entry_fields(i);
    Put16(b, 0);  // comment
    Put16(b, 0);  // disk
    Put16(b, 0);  // internal attributes
    Put32(b, 0);  // external attributes
    Put32(b, static_cast<std::uint32_t>(zip.local_offsets[i]));
    PutText(b, e.name);
  }
  const std::size_t directory_size = b.size() - zip.directory_offset;
  if (options.zip64) {
    const std::size_t record_at = b.size();
    Put32(b, 0x06064b50);
    Put64(b, 44);
    Put16(b, 45);
    Put16(b, 45);
    Put32(b, 0);
    Put32(b, 0);
    Put64(b, listed.size());
    Put64(b, listed.size());
    Put64(b, directory_size);
    Put64(b, zip.directory_offset);
    Put32(b, 0x07064b50);
    Put32(b, 0);
    Put64(b, record_at);
    Put32(b, 1);
  }
  if (options.end_record_copies * 22 + options.comment.size() > 0xffff) {
    throw std::invalid_argument("the comment of an end record holds at most 65535 bytes");
  }
  zip.end_record_offset = b.size();
  for (std::size_t copy = 0; copy <= options.end_record_copies; ++copy) {
    Put32(b, 0x06054b50);
    Put16(b, 0);
    Put16(b, 0);
    Put16(b, options.zip64 ? 0xffff : static_cast<std::uint32_t>(listed.size()));
    Put16(b, options.zip64 ? 0xffff : static_cast<std::uint32_t>(listed.size()));
    Put32(b, options.zip64 ? 0xffffffff : static_cast<std::uint32_t>(directory_size));
    Put32(b, options.zip64 ? 0xffffffff : static_cast<std::uint32_t>(zip.directory_offset));
    // The copies still to come and the comment.
    Put16(b, static_cast<std::uint32_t>((options.end_record_copies - copy) * 22 +
                                        options.comment.size()));
  }
  PutText(b, options.comment);
  return zip;
}

}  // namespace lq::test
