// The zip check that decides whether a download is a package: good archives pass, anything cut,
// padded or pointing outside itself does not.
#include "skins/zip_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace lq {
namespace {

using Bytes = std::vector<std::uint8_t>;

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
void PutText(Bytes& b, std::string_view s) { b.insert(b.end(), s.begin(), s.end()); }
void Set32(Bytes& b, std::size_t at, std::uint32_t v) {
  for (int i = 0; i < 4; ++i) {
    b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
  }
}

struct Entry {
  std::string name;
  std::string data;
};

struct ZipOptions {
  std::string comment;
  bool zip64 = false;  // classic fields set to their "see Zip64" values
};
ZipOptions Commented(std::string comment) { return {std::move(comment), false}; }
ZipOptions Zip64() { return {"", true}; }

// A stored zip: local headers and data, central directory, optional Zip64 records, end record.
// The CRC fields are left 0: the check does not read entry data.
struct BuiltZip {
  Bytes bytes;
  std::size_t directory_offset = 0;
  std::size_t end_record_offset = 0;
};

BuiltZip BuildZip(const std::vector<Entry>& entries, const ZipOptions& options = {}) {
  BuiltZip zip;
  Bytes& b = zip.bytes;
  std::vector<std::uint32_t> local_offsets;
  for (const Entry& e : entries) {
    local_offsets.push_back(static_cast<std::uint32_t>(b.size()));
    Put32(b, 0x04034b50);
    Put16(b, 10);  // version needed
    Put16(b, 0);   // flags
    Put16(b, 0);   // stored
    Put32(b, 0);   // time, date
    Put32(b, 0);   // crc
    Put32(b, static_cast<std::uint32_t>(e.data.size()));
    Put32(b, static_cast<std::uint32_t>(e.data.size()));
    Put16(b, static_cast<std::uint32_t>(e.name.size()));
    Put16(b, 0);  // extra
    PutText(b, e.name);
    PutText(b, e.data);
  }
  zip.directory_offset = b.size();
  for (std::size_t i = 0; i < entries.size(); ++i) {
    const Entry& e = entries[i];
    Put32(b, 0x02014b50);
    Put16(b, 20);  // version made by
    Put16(b, 10);  // version needed
    Put16(b, 0);
    Put16(b, 0);
    Put32(b, 0);
    Put32(b, 0);
    Put32(b, static_cast<std::uint32_t>(e.data.size()));
    Put32(b, static_cast<std::uint32_t>(e.data.size()));
    Put16(b, static_cast<std::uint32_t>(e.name.size()));
    Put16(b, 0);  // extra
    Put16(b, 0);  // comment
    Put16(b, 0);  // disk
    Put16(b, 0);  // internal attributes
    Put32(b, 0);  // external attributes
    Put32(b, local_offsets[i]);
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
    Put64(b, entries.size());
    Put64(b, entries.size());
    Put64(b, directory_size);
    Put64(b, zip.directory_offset);
    Put32(b, 0x07064b50);
    Put32(b, 0);
    Put64(b, record_at);
    Put32(b, 1);
  }
  zip.end_record_offset = b.size();
  Put32(b, 0x06054b50);
  Put16(b, 0);
  Put16(b, 0);
  Put16(b, options.zip64 ? 0xffff : static_cast<std::uint32_t>(entries.size()));
  Put16(b, options.zip64 ? 0xffff : static_cast<std::uint32_t>(entries.size()));
  Put32(b, options.zip64 ? 0xffffffff : static_cast<std::uint32_t>(directory_size));
  Put32(b, options.zip64 ? 0xffffffff : static_cast<std::uint32_t>(zip.directory_offset));
  Put16(b, static_cast<std::uint32_t>(options.comment.size()));
  PutText(b, options.comment);
  return zip;
}

const std::vector<Entry> kTwoEntries = {{"skin.txt", "悍警巨魔"}, {"data/model.bin", "0123456789"}};

ZipVerdict Check(const Bytes& b) { return CheckZipArchive(std::span<const std::uint8_t>(b)); }

TEST(ZipCheck, GoodArchivesPass) {
  EXPECT_EQ(Check(BuildZip({{"skin.txt", "x"}}).bytes), ZipVerdict::kArchive);
  EXPECT_EQ(Check(BuildZip(kTwoEntries).bytes), ZipVerdict::kArchive);
  EXPECT_EQ(Check(BuildZip({{"empty.txt", ""}}).bytes), ZipVerdict::kArchive);
  EXPECT_EQ(Check(BuildZip(kTwoEntries, Zip64()).bytes), ZipVerdict::kArchive);
}

TEST(ZipCheck, CommentAfterTheEndRecordIsPartOfIt) {
  EXPECT_EQ(Check(BuildZip(kTwoEntries, Commented("packed for the game")).bytes),
            ZipVerdict::kArchive);
  // A comment that itself holds something looking like an end record.
  std::string tricky("PK\x05\x06", 4);
  tricky += std::string(18, '\0');
  EXPECT_EQ(Check(BuildZip(kTwoEntries, Commented(tricky)).bytes), ZipVerdict::kArchive);
  // The longest comment there can be.
  EXPECT_EQ(Check(BuildZip(kTwoEntries, Commented(std::string(0xffff, 'c'))).bytes),
            ZipVerdict::kArchive);
}

TEST(ZipCheck, NothingOrNoArchiveAtAll) {
  EXPECT_EQ(Check({}), ZipVerdict::kEmpty);
  EXPECT_EQ(Check({'P', 'K'}), ZipVerdict::kNoLocalHeader);
  Bytes html;
  PutText(html, "<html><head><title>404 Not Found</title></head><body>404</body></html>");
  EXPECT_EQ(Check(html), ZipVerdict::kNoLocalHeader);
  // A JPEG picture, as a package path ending in ".jpg" might bring.
  EXPECT_EQ(Check({0xff, 0xd8, 0xff, 0xe0, 0, 0x10, 'J', 'F', 'I', 'F', 0}),
            ZipVerdict::kNoLocalHeader);
  // An archive with no entries starts with its end record, not with a local header.
  Bytes no_entries;
  Put32(no_entries, 0x06054b50);
  no_entries.resize(22);
  EXPECT_EQ(Check(no_entries), ZipVerdict::kNoLocalHeader);
}

TEST(ZipCheck, EveryTruncationFails) {
  const Bytes full = BuildZip(kTwoEntries, Commented("c")).bytes;
  for (std::size_t n = 1; n < full.size(); ++n) {
    const Bytes cut(full.begin(), full.begin() + static_cast<std::ptrdiff_t>(n));
    EXPECT_NE(Check(cut), ZipVerdict::kArchive) << "cut to " << n << " of " << full.size();
  }
}

TEST(ZipCheck, MissingOrDisplacedEndRecord) {
  BuiltZip zip = BuildZip(kTwoEntries);
  Bytes no_end(zip.bytes.begin(),
               zip.bytes.begin() + static_cast<std::ptrdiff_t>(zip.end_record_offset));
  EXPECT_EQ(Check(no_end), ZipVerdict::kNoEndRecord);

  Bytes trailing = zip.bytes;
  PutText(trailing, "trailing bytes the comment length does not cover");
  EXPECT_EQ(Check(trailing), ZipVerdict::kNoEndRecord);

  Bytes short_comment = BuildZip(kTwoEntries, Commented("abc")).bytes;
  short_comment.pop_back();  // the comment promised 3 bytes
  EXPECT_EQ(Check(short_comment), ZipVerdict::kNoEndRecord);
}

TEST(ZipCheck, EndRecordOffsetsPointingOutside) {
  const BuiltZip zip = BuildZip(kTwoEntries);
  const std::size_t size_field = zip.end_record_offset + 12;
  const std::size_t offset_field = zip.end_record_offset + 16;
  const std::uint32_t directory_size =
      static_cast<std::uint32_t>(zip.end_record_offset - zip.directory_offset);

  Bytes b = zip.bytes;
  Set32(b, offset_field, static_cast<std::uint32_t>(b.size() + 100));  // beyond the end
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);

  b = zip.bytes;
  Set32(b, size_field, directory_size + 1);  // runs into the end record
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);

  b = zip.bytes;
  Set32(b, offset_field, 0xfffffff0);  // offset + size wraps around 32 bits
  Set32(b, size_field, 0x20);
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);

  b = zip.bytes;
  Set32(b, offset_field, static_cast<std::uint32_t>(zip.directory_offset - 1));  // not a header
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);

  b = zip.bytes;
  Set32(b, offset_field, 0);  // the directory cannot start where the local data does
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);

  b = zip.bytes;
  Set32(b, size_field, 0);
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);
}

TEST(ZipCheck, CentralDirectoryMustMatchTheEndRecord) {
  const BuiltZip zip = BuildZip(kTwoEntries);
  Bytes b = zip.bytes;
  b[zip.end_record_offset + 8] = 3;   // entries on this disk
  b[zip.end_record_offset + 10] = 3;  // entries in all
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);

  b = zip.bytes;
  b[zip.end_record_offset + 10] = 1;  // disagrees with the entries on this disk
  EXPECT_EQ(Check(b), ZipVerdict::kBadEndRecord);

  b = zip.bytes;
  b[zip.end_record_offset + 4] = 1;  // a second disk
  EXPECT_EQ(Check(b), ZipVerdict::kBadEndRecord);

  b = zip.bytes;
  Set32(b, zip.directory_offset + 42, static_cast<std::uint32_t>(zip.directory_offset));
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);  // local header inside the directory

  b = zip.bytes;
  b[zip.directory_offset + 28] = 0xff;  // a name running past the directory
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);
}

TEST(ZipCheck, Zip64RecordsAreChecked) {
  const BuiltZip zip = BuildZip(kTwoEntries, Zip64());
  const std::size_t locator = zip.end_record_offset - 20;
  const std::size_t record = locator - 56;

  Bytes b = zip.bytes;
  b[locator] = 'X';
  EXPECT_EQ(Check(b), ZipVerdict::kBadEndRecord);

  b = zip.bytes;
  Set32(b, locator + 8, static_cast<std::uint32_t>(b.size()));  // record beyond the locator
  EXPECT_EQ(Check(b), ZipVerdict::kBadEndRecord);

  b = zip.bytes;
  Set32(b, record + 48, static_cast<std::uint32_t>(record + 1));  // directory past the record
  EXPECT_EQ(Check(b), ZipVerdict::kBadCentralDirectory);
}

// Random access that counts what it was asked for, and can fail.
class CountingBytes final : public ZipBytes {
 public:
  explicit CountingBytes(const Bytes& b) : b_(b) {}
  std::uint64_t size() const override { return b_.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    if (fail_) {
      return false;
    }
    EXPECT_LE(offset + out.size(), b_.size());
    read_ += out.size();
    std::copy_n(b_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
  }
  std::uint64_t read_ = 0;
  bool fail_ = false;

 private:
  const Bytes& b_;
};

TEST(ZipCheck, ReadsOnlyHeadTailAndDirectory) {
  const Bytes big = BuildZip({{"large.bin", std::string(8 << 20, 'z')}, {"b.txt", "b"}}).bytes;
  CountingBytes bytes(big);
  EXPECT_EQ(CheckZipArchive(bytes), ZipVerdict::kArchive);
  EXPECT_LT(bytes.read_, 200u * 1024);
}

TEST(ZipCheck, ReadFailureIsNoArchive) {
  const Bytes zip = BuildZip(kTwoEntries).bytes;
  CountingBytes bytes(zip);
  bytes.fail_ = true;
  EXPECT_EQ(CheckZipArchive(bytes), ZipVerdict::kUnreadable);
}

}  // namespace
}  // namespace lq
