// The zip check that decides whether a download is a package: good archives pass, anything cut,
// padded, pointing outside itself or damaged in an entry's data does not.
#include "skins/zip_check.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <ostream>
#include <string>
#include <vector>

#include "tests/skins/support/test_zip.h"

namespace lq {

// Verdicts by name in failure messages.
void PrintTo(ZipVerdict verdict, std::ostream* os) { *os << ZipVerdictName(verdict); }

namespace {

using test::BuildZip;
using test::BuiltZip;
using test::Bytes;
using test::PutText;
using test::Set32;
using Entry = test::ZipEntry;

test::ZipOptions Commented(std::string comment) {
  test::ZipOptions options;
  options.comment = std::move(comment);
  return options;
}
test::ZipOptions Zip64() {
  test::ZipOptions options;
  options.zip64 = true;
  return options;
}

const std::vector<Entry> kTwoEntries = {{"skin.txt", "悍警巨魔", false},
                                        {"data/model.bin", std::string(300, 'm'), true}};

ZipVerdict Check(const Bytes& b) { return CheckZipArchive(std::span<const std::uint8_t>(b)); }

TEST(ZipCheck, GoodArchivesPass) {
  EXPECT_EQ(Check(BuildZip({{"skin.txt", "x", false}}).bytes), ZipVerdict::kArchive);
  EXPECT_EQ(Check(BuildZip(kTwoEntries).bytes), ZipVerdict::kArchive);
  EXPECT_EQ(Check(BuildZip({{"empty.txt", "", false}, {"empty.bin", "", true}}).bytes),
            ZipVerdict::kArchive);
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
  EXPECT_EQ(Check(BuildZip({}).bytes), ZipVerdict::kNoLocalHeader);
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
    largest_ = std::max<std::uint64_t>(largest_, out.size());
    std::copy_n(b_.begin() + static_cast<std::ptrdiff_t>(offset), out.size(), out.begin());
    return true;
  }
  std::uint64_t read_ = 0;
  std::uint64_t largest_ = 0;
  bool fail_ = false;

 private:
  const Bytes& b_;
};

TEST(ZipCheck, ReadsEverythingInPiecesOfBoundedSize) {
  const Bytes big = BuildZip({{"large.bin", std::string(8 << 20, 'z'), false},
                              {"packed.bin", std::string(8 << 20, 'p'), true}})
                        .bytes;
  CountingBytes bytes(big);
  EXPECT_EQ(CheckZipArchive(bytes), ZipVerdict::kArchive);
  EXPECT_GE(bytes.read_, big.size());
  EXPECT_LE(bytes.largest_, 22u + 0xffffu);  // the tail, where the end record is looked for
}

// Every entry's data is checked against the size and the CRC-32 the directory names.
TEST(ZipCheck, DamagedOrUnsupportedEntriesFail) {
  const BuiltZip zip = BuildZip(kTwoEntries);
  const std::size_t stored = zip.data_offsets[0];
  const std::size_t deflated = zip.data_offsets[1];
  const std::size_t central2 = zip.directory_offset + 46 + kTwoEntries[0].name.size();
  struct Case {
    const char* what;
    std::size_t at;
    std::uint8_t value;
    ZipVerdict verdict;
  };
  const std::vector<Case> cases = {
      {"a stored byte", stored + 1, 'x', ZipVerdict::kDamagedEntry},
      {"a deflated byte", deflated + 3, 0x55, ZipVerdict::kDamagedEntry},
      {"the central CRC", central2 + 16, 0x01, ZipVerdict::kDamagedEntry},
      {"the uncompressed size", central2 + 24, 0x01, ZipVerdict::kDamagedEntry},
      {"the compressed size", central2 + 20, 0x02, ZipVerdict::kDamagedEntry},
      {"an encrypted entry", central2 + 8, 0x01, ZipVerdict::kUnsupportedEntry},
      {"another method", central2 + 10, 14, ZipVerdict::kUnsupportedEntry},
      {"a local header elsewhere", central2 + 42, 0x03, ZipVerdict::kBadEntry},
      {"the local signature", zip.local_offsets[1], 'X', ZipVerdict::kBadEntry},
  };
  for (const Case& c : cases) {
    Bytes b = zip.bytes;
    b[c.at] = c.value;
    EXPECT_EQ(Check(b), c.verdict) << c.what;
  }
}

// The verdict on bytes fed to a ZipStreamCheck in pieces of `piece` bytes and checked after.
ZipVerdict CheckStreamed(const Bytes& b, std::size_t piece, ZipCheckWork* work = nullptr) {
  ZipStreamCheck streamed;
  for (std::size_t at = 0; at < b.size(); at += piece) {
    streamed.Take(std::span(b).subspan(at, std::min(piece, b.size() - at)));
  }
  CountingBytes counted(b);
  return CheckZipArchive(counted, &streamed, work);
}

// Entries may not share bytes, and no entry is inflated beyond what it declares, nor when the
// entries declare more than deflate can make of their data or than the package plus 1 GiB.
TEST(ZipCheck, EntriesThatShareBytesOrDeclareTooMuch) {
  const BuiltZip zip = BuildZip(kTwoEntries);
  const std::size_t central2 = zip.directory_offset + 46 + kTwoEntries[0].name.size();
  struct Case {
    const char* what;
    Bytes bytes;
    ZipVerdict verdict;
    bool inflates = true;  // whether any entry's data may be inflated on the way
  };
  std::vector<Case> cases;
  test::ZipOptions options;
  options.listed = {0, 1, 0};
  cases.push_back({"an entry listed twice", BuildZip(kTwoEntries, options).bytes,
                   ZipVerdict::kBadEntry, false});
  options.listed = {1, 0};
  cases.push_back({"entries listed in another order than they lie",
                   BuildZip(kTwoEntries, options).bytes, ZipVerdict::kArchive});

  Bytes b = zip.bytes;
  Set32(b, central2 + 42, static_cast<std::uint32_t>(zip.local_offsets[0]));
  cases.push_back({"two entries naming one local header", b, ZipVerdict::kBadEntry, false});

  // The second entry's local header and data lie, whole and valid, inside the first's data.
  const Entry inner = {"in.txt", "inner", false};
  const BuiltZip lone = BuildZip({inner});
  const std::string inner_record(
      lone.bytes.begin(), lone.bytes.begin() + static_cast<std::ptrdiff_t>(lone.directory_offset));
  const BuiltZip nested = BuildZip({{"outer.bin", inner_record, false}, inner});
  b = nested.bytes;
  Set32(b, nested.directory_offset + 46 + 9 + 42,
        static_cast<std::uint32_t>(nested.data_offsets[0]));
  cases.push_back({"an entry inside another's data", b, ZipVerdict::kBadEntry, false});

  // Deflate makes at most 1032 bytes of a byte: zeros come close, and pass.
  const std::string zeros(8 << 20, '\0');
  const BuiltZip packed = BuildZip({{"zeros.bin", zeros, true}});
  cases.push_back({"zeros deflated as far as they go", packed.bytes, ZipVerdict::kArchive});
  const std::uint64_t compressed = packed.directory_offset - packed.data_offsets[0];
  b = packed.bytes;
  Set32(b, packed.directory_offset + 24, static_cast<std::uint32_t>(compressed * 1032 + 1));
  cases.push_back({"more than deflate makes of the data", b, ZipVerdict::kDamagedEntry, false});

  b = zip.bytes;
  Set32(b, zip.directory_offset + 24, 7);  // a stored entry of 8 bytes
  cases.push_back({"a stored entry of another size", b, ZipVerdict::kDamagedEntry, false});

  // Deflated data that does not shrink, declared as 1 GiB and a byte more than the package.
  std::string noise(1200 << 10, '\0');
  std::uint32_t x = 1;
  for (char& c : noise) c = static_cast<char>((x = x * 1664525 + 1013904223) >> 24);
  const BuiltZip noisy = BuildZip({{"noise.bin", noise, true}});
  b = noisy.bytes;
  Set32(b, noisy.directory_offset + 24, static_cast<std::uint32_t>((1u << 30) + b.size() + 1));
  cases.push_back({"more than the package and 1 GiB", b, ZipVerdict::kTooLarge, false});

  for (const Case& c : cases) {
    ZipCheckWork alone;
    CountingBytes bytes(c.bytes);
    EXPECT_EQ(CheckZipArchive(bytes, nullptr, &alone), c.verdict) << c.what;
    ZipCheckWork streamed;
    EXPECT_EQ(CheckStreamed(c.bytes, 4096, &streamed), c.verdict) << c.what << ", streamed";
    if (!c.inflates) {
      EXPECT_EQ(alone.inflated_bytes + streamed.inflated_bytes, 0u) << c.what;
    }
  }
}

// A comment may hold thousands of end records that each reach to the end: the check still reads
// one or two central directories and inflates no more than the entries declare, once or twice.
TEST(ZipCheck, EndRecordsInTheCommentDoNotMultiplyTheWork) {
  const std::vector<Entry> entries = {{"skin/model.bin", std::string(4 << 20, '\0'), true},
                                      {"skin/readme.txt", "readme", false}};
  const std::uint64_t declared = (4 << 20) + 6;
  test::ZipOptions options;
  options.end_record_copies = 0xffff / 22;
  BuiltZip zip = BuildZip(entries, options);
  zip.bytes[zip.data_offsets[1]] ^= 0x20;  // the last entry damaged on the way

  ZipCheckWork alone;
  CountingBytes bytes(zip.bytes);
  EXPECT_EQ(CheckZipArchive(bytes, nullptr, &alone), ZipVerdict::kDamagedEntry);
  EXPECT_EQ(alone.end_records, 1 + options.end_record_copies);
  EXPECT_LE(alone.directories, 2u);
  EXPECT_LE(alone.entry_passes, 2u);
  EXPECT_LE(alone.inflated_bytes, 2 * (declared + entries.size()));

  ZipCheckWork streamed;
  EXPECT_EQ(CheckStreamed(zip.bytes, 1 << 16, &streamed), ZipVerdict::kDamagedEntry);
  EXPECT_LE(streamed.directories, 2u);
  EXPECT_LE(streamed.entry_passes, 4u);
  EXPECT_LE(streamed.inflated_bytes, 2 * (declared + entries.size()));
}

// Entries verified as the bytes arrive spare reading them again, and change no verdict.
TEST(ZipCheck, EntriesVerifiedAsTheBytesArrive) {
  const Bytes big = BuildZip({{"large.bin", std::string(8 << 20, 'z'), false},
                              {"packed.bin", std::string(8 << 20, 'p'), true}})
                        .bytes;
  ZipStreamCheck whole;
  whole.Take(big);
  CountingBytes bytes(big);
  EXPECT_EQ(CheckZipArchive(bytes, &whole), ZipVerdict::kArchive);
  EXPECT_LT(bytes.read_, 200u * 1024);  // the head, the tail and the directory

  const BuiltZip zip = BuildZip(kTwoEntries);
  std::vector<Bytes> archives = {zip.bytes, BuildZip(kTwoEntries, Zip64()).bytes,
                                 BuildZip(kTwoEntries, Commented("c")).bytes,
                                 BuildZip({{"a", "", false}, {"b", "", true}}).bytes};
  for (std::size_t at : {zip.data_offsets[0] + 1, zip.data_offsets[1] + 2,
                         zip.directory_offset + 46 + 16, zip.local_offsets[1] + 8}) {
    archives.push_back(zip.bytes);
    archives.back()[at] ^= 0x21;
  }
  for (const Bytes& archive : archives) {
    for (std::size_t piece : {1u, 7u, 4096u}) {
      EXPECT_EQ(CheckStreamed(archive, piece), Check(archive)) << "piece " << piece;
    }
  }
}

// Inputs that once made the check misbehave (kept by the fuzz target's runs): no crash, and the
// same verdict whether the entries were verified as the bytes arrived or read again.
TEST(ZipCheck, RegressionsGiveOneVerdict) {
  const char* dir = std::getenv("LQ_ZIP_REGRESSIONS");
  ASSERT_NE(dir, nullptr);
  for (const auto& entry : std::filesystem::directory_iterator(dir)) {
    if (entry.path().extension() == ".md") continue;
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes b((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_EQ(CheckStreamed(b, b.empty() ? 1 : b[0] % 64 + 1), Check(b)) << entry.path();
  }
}

TEST(ZipCheck, ReadFailureIsNoArchive) {
  const Bytes zip = BuildZip(kTwoEntries).bytes;
  CountingBytes bytes(zip);
  bytes.fail_ = true;
  EXPECT_EQ(CheckZipArchive(bytes), ZipVerdict::kUnreadable);
}

}  // namespace
}  // namespace lq
