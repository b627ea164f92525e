#include "skins/zip_check.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

namespace lq {
namespace {

constexpr std::uint32_t kLocalHeaderSignature = 0x04034b50;
constexpr std::uint32_t kCentralHeaderSignature = 0x02014b50;
constexpr std::uint32_t kEndRecordSignature = 0x06054b50;
constexpr std::uint32_t kZip64LocatorSignature = 0x07064b50;
constexpr std::uint32_t kZip64EndRecordSignature = 0x06064b50;

constexpr std::uint64_t kLocalHeaderSize = 30;
constexpr std::uint64_t kCentralHeaderSize = 46;
constexpr std::uint64_t kEndRecordSize = 22;
constexpr std::uint64_t kZip64LocatorSize = 20;
constexpr std::uint64_t kZip64EndRecordSize = 56;
constexpr std::uint64_t kMaxCommentSize = 0xffff;
constexpr std::uint16_t kStoredMethod = 0;
constexpr std::uint16_t kDeflatedMethod = 8;

// Little-endian fields.
std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] | p[1] << 8); }
std::uint32_t U32(const std::uint8_t* p) {
  return static_cast<std::uint32_t>(p[0]) | static_cast<std::uint32_t>(p[1]) << 8 |
         static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[3]) << 24;
}
std::uint64_t U64(const std::uint8_t* p) {
  return static_cast<std::uint64_t>(U32(p)) | static_cast<std::uint64_t>(U32(p + 4)) << 32;
}

// One verified entry's share of a fingerprint; the shares of all entries are added, so their
// order does not matter.
std::uint64_t Mix(std::uint64_t x) {
  x += 0x9e3779b97f4a7c15ULL;
  x = (x ^ (x >> 30)) * 0xbf58476d1ce4e5b9ULL;
  x = (x ^ (x >> 27)) * 0x94d049bb133111ebULL;
  return x ^ (x >> 31);
}
std::uint64_t EntryShare(std::uint64_t offset, std::uint64_t compressed, std::uint64_t uncompressed,
                         std::uint32_t crc, std::uint16_t method) {
  return Mix(Mix(Mix(Mix(offset) ^ compressed) ^ uncompressed) ^
             (crc | static_cast<std::uint64_t>(method) << 32));
}

// The archive's layout as its end records tell it.
struct Directory {
  std::uint64_t offset = 0;  // of the central directory
  std::uint64_t size = 0;
  std::uint64_t entries = 0;
  std::uint64_t limit = 0;  // where the central directory must have ended
};

class Checker {
 public:
  Checker(ZipBytes& bytes, const ZipStreamCheck* streamed)
      : bytes_(bytes), size_(bytes.size()), streamed_(streamed) {}

  ZipVerdict Run() {
    if (size_ == 0) {
      return ZipVerdict::kEmpty;
    }
    if (size_ < 4) {
      return ZipVerdict::kNoLocalHeader;
    }
    if (!Read(0, std::span(head_).first(std::min<std::size_t>(head_.size(), size_)))) {
      return ZipVerdict::kUnreadable;
    }
    if (U32(head_.data()) != kLocalHeaderSignature) {
      return ZipVerdict::kNoLocalHeader;
    }
    if (size_ < kLocalHeaderSize + kEndRecordSize) {
      return ZipVerdict::kNoEndRecord;
    }
    const std::vector<std::uint64_t> ends = FindEndRecords();
    if (failed_) {
      return ZipVerdict::kUnreadable;
    }
    if (ends.empty()) {
      return ZipVerdict::kNoEndRecord;
    }
    // A comment may hold bytes that look like an end record: the last record that describes a
    // whole archive counts; when none does, the verdict on the last one found.
    std::optional<ZipVerdict> first_verdict;
    for (std::uint64_t end : ends) {
      const ZipVerdict v = CheckFrom(end);
      if (v == ZipVerdict::kArchive || v == ZipVerdict::kUnreadable) {
        return v;
      }
      if (!first_verdict) {
        first_verdict = v;
      }
    }
    return *first_verdict;
  }

 private:
  bool Read(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (out.empty() && offset <= size_) {
      return true;  // nothing to read (an empty field, whose buffer may have no address)
    }
    if (offset > size_ || out.size() > size_ - offset || !bytes_.ReadAt(offset, out)) {
      failed_ = true;
      return false;
    }
    return true;
  }

  // The end records whose comment reaches exactly to the end of the bytes, the last first.
  std::vector<std::uint64_t> FindEndRecords() {
    std::vector<std::uint64_t> found;
    const std::uint64_t span = std::min(size_, kEndRecordSize + kMaxCommentSize);
    tail_offset_ = size_ - span;
    tail_.resize(static_cast<std::size_t>(span));
    if (!Read(tail_offset_, tail_)) {
      return found;
    }
    for (std::size_t at = tail_.size() - kEndRecordSize + 1; at-- > 0;) {
      const std::uint8_t* p = tail_.data() + at;
      if (U32(p) == kEndRecordSignature && at + kEndRecordSize + U16(p + 20) == tail_.size()) {
        found.push_back(tail_offset_ + at);
      }
    }
    return found;
  }

  ZipVerdict CheckFrom(std::uint64_t end) {
    Directory directory;
    const ZipVerdict layout = ReadLayout(end, directory);
    if (layout != ZipVerdict::kArchive) {
      return failed_ ? ZipVerdict::kUnreadable : layout;
    }
    // The entries verified as the bytes arrived, when they are the directory's; else every
    // entry's data is read again.
    if (streamed_ != nullptr && streamed_->complete() &&
        streamed_->directory_offset() == directory.offset &&
        streamed_->entries() == directory.entries) {
      // Only a success counts: a failure's verdict is the one the full walk finds first.
      if (WalkCentralDirectory(directory, true) == ZipVerdict::kArchive && !failed_) {
        return ZipVerdict::kArchive;
      }
      failed_ = false;
    }
    const ZipVerdict walk = WalkCentralDirectory(directory, false);
    return failed_ ? ZipVerdict::kUnreadable : walk;
  }

  ZipVerdict ReadLayout(std::uint64_t end, Directory& d) {
    const std::uint8_t* r = tail_.data() + (end - tail_offset_);
    const std::uint16_t disk = U16(r + 4);
    const std::uint16_t directory_disk = U16(r + 6);
    const std::uint16_t entries_here = U16(r + 8);
    const std::uint16_t entries = U16(r + 10);
    const std::uint32_t size = U32(r + 12);
    const std::uint32_t offset = U32(r + 16);
    const bool zip64 = entries == 0xffff || size == 0xffffffff || offset == 0xffffffff;
    if (!zip64) {
      if (disk != 0 || directory_disk != 0 || entries_here != entries) {
        return ZipVerdict::kBadEndRecord;
      }
      d = {offset, size, entries, end};
    } else {
      const ZipVerdict v = ReadZip64Layout(end, d);
      if (v != ZipVerdict::kArchive) {
        return v;
      }
    }
    if (d.entries == 0 || d.size < kCentralHeaderSize) {
      return ZipVerdict::kBadCentralDirectory;
    }
    // Local data comes first: at least one local header before the central directory.
    if (d.offset < kLocalHeaderSize || d.offset > d.limit || d.size > d.limit - d.offset) {
      return ZipVerdict::kBadCentralDirectory;
    }
    const std::uint64_t first_local =
        kLocalHeaderSize + U16(head_.data() + 26) + U16(head_.data() + 28);
    if (first_local > d.offset) {
      return ZipVerdict::kBadCentralDirectory;
    }
    return ZipVerdict::kArchive;
  }

  ZipVerdict ReadZip64Layout(std::uint64_t end, Directory& d) {
    if (end < kZip64LocatorSize) {
      return ZipVerdict::kBadEndRecord;
    }
    const std::uint64_t locator_at = end - kZip64LocatorSize;
    std::array<std::uint8_t, kZip64LocatorSize> locator{};
    if (!Read(locator_at, locator)) {
      return ZipVerdict::kUnreadable;
    }
    if (U32(locator.data()) != kZip64LocatorSignature || U32(locator.data() + 4) != 0 ||
        U32(locator.data() + 16) != 1) {
      return ZipVerdict::kBadEndRecord;
    }
    const std::uint64_t record_at = U64(locator.data() + 8);
    if (record_at > locator_at || locator_at - record_at < kZip64EndRecordSize) {
      return ZipVerdict::kBadEndRecord;
    }
    std::array<std::uint8_t, kZip64EndRecordSize> record{};
    if (!Read(record_at, record)) {
      return ZipVerdict::kUnreadable;
    }
    const std::uint8_t* r = record.data();
    if (U32(r) != kZip64EndRecordSignature || U64(r + 4) < kZip64EndRecordSize - 12 ||
        U64(r + 4) > locator_at - record_at - 12 || U32(r + 16) != 0 || U32(r + 20) != 0 ||
        U64(r + 24) != U64(r + 32)) {
      return ZipVerdict::kBadEndRecord;
    }
    d = {U64(r + 48), U64(r + 40), U64(r + 32), record_at};
    return ZipVerdict::kArchive;
  }

  // Every entry of the central directory is a central header that fits inside it and names a
  // local header before it; the entries fill the directory exactly.
  // With `streamed`, kNotStreamed when the entries are not those verified as the bytes arrived.
  ZipVerdict WalkCentralDirectory(const Directory& d, bool streamed) {
    const std::uint64_t end = d.offset + d.size;
    std::uint64_t at = d.offset;
    data_total_ = 0;
    std::uint64_t count = 0;
    std::uint64_t fingerprint = 0;
    std::array<std::uint8_t, kCentralHeaderSize> h{};
    while (at < end) {
      if (end - at < kCentralHeaderSize) {
        return ZipVerdict::kBadCentralDirectory;
      }
      if (!ReadBuffered(at, h)) {
        return ZipVerdict::kUnreadable;
      }
      if (U32(h.data()) != kCentralHeaderSignature) {
        return ZipVerdict::kBadCentralDirectory;
      }
      const std::uint64_t length =
          kCentralHeaderSize + U16(h.data() + 28) + U16(h.data() + 30) + U16(h.data() + 32);
      if (length > end - at) {
        return ZipVerdict::kBadCentralDirectory;
      }
      EntryInfo entry;
      const ZipVerdict described = Describe(h, at, d, entry);
      if (described != ZipVerdict::kArchive) {
        return described;
      }
      if (streamed) {
        if (Unsupported(entry)) {
          return ZipVerdict::kUnsupportedEntry;
        }
        fingerprint +=
            EntryShare(entry.local, entry.compressed, entry.uncompressed, entry.crc, entry.method);
      } else {
        const ZipVerdict verified = VerifyEntry(entry, d);
        if (verified != ZipVerdict::kArchive) {
          return verified;
        }
      }
      at += length;
      ++count;
    }
    if (count != d.entries) {
      return ZipVerdict::kBadCentralDirectory;
    }
    if (streamed && fingerprint != streamed_->fingerprint()) {
      return kNotStreamed;
    }
    return ZipVerdict::kArchive;
  }

  // What a central header says of its entry, with the Zip64 extra field's values where the
  // classic fields defer to it.
  struct EntryInfo {
    std::uint16_t flags = 0;
    std::uint16_t method = 0;
    std::uint32_t crc = 0;
    std::uint64_t compressed = 0;
    std::uint64_t uncompressed = 0;
    std::uint64_t local = 0;
  };

  ZipVerdict Describe(std::span<const std::uint8_t> h, std::uint64_t at, const Directory& d,
                      EntryInfo& e) {
    e.flags = U16(h.data() + 8);
    e.method = U16(h.data() + 10);
    e.crc = U32(h.data() + 16);
    e.compressed = U32(h.data() + 20);
    e.uncompressed = U32(h.data() + 24);
    e.local = U32(h.data() + 42);
    if (e.compressed == 0xffffffff || e.uncompressed == 0xffffffff || e.local == 0xffffffff) {
      const std::uint16_t name_length = U16(h.data() + 28);
      std::vector<std::uint8_t> extra(U16(h.data() + 30));
      if (!Read(at + kCentralHeaderSize + name_length, extra)) {
        return ZipVerdict::kUnreadable;
      }
      if (!ReadZip64Extra(extra, e)) {
        return ZipVerdict::kBadCentralDirectory;
      }
    }
    if (e.local >= d.offset) {
      return ZipVerdict::kBadCentralDirectory;
    }
    return ZipVerdict::kArchive;
  }

  // The Zip64 extra field holds, in this order, those of the uncompressed size, the compressed
  // size and the local header's offset whose classic field is all ones.
  static bool ReadZip64Extra(std::span<const std::uint8_t> extra, EntryInfo& e) {
    while (extra.size() >= 4) {
      const std::uint16_t id = U16(extra.data());
      const std::size_t size = U16(extra.data() + 2);
      if (size > extra.size() - 4) {
        return false;
      }
      std::span<const std::uint8_t> field = extra.subspan(4, size);
      if (id == 0x0001) {
        for (std::uint64_t* value : {&e.uncompressed, &e.compressed, &e.local}) {
          if (*value != 0xffffffff) {
            continue;
          }
          if (field.size() < 8) {
            return false;
          }
          *value = U64(field.data());
          field = field.subspan(8);
        }
        return true;
      }
      extra = extra.subspan(4 + size);
    }
    return false;
  }

  static bool Unsupported(const EntryInfo& e) {
    return (e.flags & 1) != 0 || (e.method != kStored && e.method != kDeflated);
  }

  // The entry's local header, and its data inflated (or read, when stored) in pieces against the
  // size and the CRC-32 the central directory names. Entries may not share data: together they
  // hold no more bytes than lie before the central directory, which also bounds the work.
  ZipVerdict VerifyEntry(const EntryInfo& e, const Directory& d) {
    if (Unsupported(e)) {
      return ZipVerdict::kUnsupportedEntry;
    }
    std::array<std::uint8_t, kLocalHeaderSize> local{};
    if (e.local > d.offset - kLocalHeaderSize) {
      return ZipVerdict::kBadEntry;
    }
    if (!Read(e.local, local)) {
      return ZipVerdict::kUnreadable;
    }
    if (U32(local.data()) != kLocalHeaderSignature) {
      return ZipVerdict::kBadEntry;
    }
    const std::uint64_t data =
        e.local + kLocalHeaderSize + U16(local.data() + 26) + U16(local.data() + 28);
    if (data > d.offset || e.compressed > d.offset - data ||
        e.compressed > d.offset - data_total_) {
      return ZipVerdict::kBadEntry;
    }
    data_total_ += e.compressed;
    if (e.method == kStored && e.compressed != e.uncompressed) {
      return ZipVerdict::kDamagedEntry;
    }
    return e.method == kStored ? VerifyStored(e, data) : VerifyDeflated(e, data);
  }

  ZipVerdict VerifyStored(const EntryInfo& e, std::uint64_t data) {
    uLong crc = crc32(0, nullptr, 0);
    for (std::uint64_t done = 0; done < e.compressed;) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, e.compressed - done));
      if (!Read(data + done, std::span(in_).first(n))) {
        return ZipVerdict::kUnreadable;
      }
      crc = crc32(crc, in_.data(), static_cast<uInt>(n));
      done += n;
    }
    return crc == e.crc ? ZipVerdict::kArchive : ZipVerdict::kDamagedEntry;
  }

  ZipVerdict VerifyDeflated(const EntryInfo& e, std::uint64_t data) {
    z_stream z{};
    if (inflateInit2(&z, -MAX_WBITS) != Z_OK) {
      return ZipVerdict::kUnreadable;
    }
    struct End {
      z_stream& z;
      ~End() { inflateEnd(&z); }
    } end{z};
    uLong crc = crc32(0, nullptr, 0);
    std::uint64_t read = 0;
    std::uint64_t produced = 0;
    int status = Z_OK;
    while (status != Z_STREAM_END) {
      if (z.avail_in == 0) {
        if (read == e.compressed) {
          return ZipVerdict::kDamagedEntry;  // the data ends before the stream does
        }
        const std::size_t n =
            static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, e.compressed - read));
        if (!Read(data + read, std::span(in_).first(n))) {
          return ZipVerdict::kUnreadable;
        }
        read += n;
        z.next_in = in_.data();
        z.avail_in = static_cast<uInt>(n);
      }
      z.next_out = out_.data();
      z.avail_out = static_cast<uInt>(out_.size());
      status = inflate(&z, Z_NO_FLUSH);
      if (status != Z_OK && status != Z_STREAM_END) {
        return ZipVerdict::kDamagedEntry;
      }
      const std::size_t n = out_.size() - z.avail_out;
      produced += n;
      if (produced > e.uncompressed) {
        return ZipVerdict::kDamagedEntry;
      }
      crc = crc32(crc, out_.data(), static_cast<uInt>(n));
    }
    const bool whole = read == e.compressed && z.avail_in == 0 && produced == e.uncompressed;
    return whole && crc == e.crc ? ZipVerdict::kArchive : ZipVerdict::kDamagedEntry;
  }

  // Reads through a window of the directory, so many small headers cost few reads.
  bool ReadBuffered(std::uint64_t offset, std::span<std::uint8_t> out) {
    if (offset < window_offset_ || offset + out.size() > window_offset_ + window_.size()) {
      const std::uint64_t n = std::min<std::uint64_t>(kWindowSize, size_ - offset);
      if (n < out.size()) {
        failed_ = true;
        return false;
      }
      window_.resize(static_cast<std::size_t>(n));
      window_offset_ = offset;
      if (!Read(offset, window_)) {
        window_.clear();
        return false;
      }
    }
    std::memcpy(out.data(), window_.data() + (offset - window_offset_), out.size());
    return true;
  }

  static constexpr std::uint64_t kWindowSize = 1 << 16;
  static constexpr std::uint16_t kStored = kStoredMethod;
  static constexpr std::uint16_t kDeflated = kDeflatedMethod;
  static constexpr std::size_t kPiece = 1 << 16;

  // Not a verdict: the walk over the streamed entries found other entries.
  static constexpr ZipVerdict kNotStreamed = static_cast<ZipVerdict>(-1);

  ZipBytes& bytes_;
  const std::uint64_t size_;
  const ZipStreamCheck* streamed_;
  bool failed_ = false;
  std::array<std::uint8_t, kLocalHeaderSize> head_{};
  std::vector<std::uint8_t> tail_;
  std::uint64_t tail_offset_ = 0;
  std::vector<std::uint8_t> window_;
  std::uint64_t window_offset_ = 0;
  std::uint64_t data_total_ = 0;  // compressed bytes of the entries verified so far
  std::vector<std::uint8_t> in_ = std::vector<std::uint8_t>(kPiece);
  std::vector<std::uint8_t> out_ = std::vector<std::uint8_t>(kPiece);
};

class MemoryBytes final : public ZipBytes {
 public:
  explicit MemoryBytes(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
  std::uint64_t size() const override { return bytes_.size(); }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override {
    std::memcpy(out.data(), bytes_.data() + offset, out.size());
    return true;
  }

 private:
  std::span<const std::uint8_t> bytes_;
};

}  // namespace

std::string_view ZipVerdictName(ZipVerdict verdict) {
  switch (verdict) {
    case ZipVerdict::kArchive:
      return "archive";
    case ZipVerdict::kEmpty:
      return "empty";
    case ZipVerdict::kNoLocalHeader:
      return "no local header";
    case ZipVerdict::kNoEndRecord:
      return "no end record";
    case ZipVerdict::kBadEndRecord:
      return "bad end record";
    case ZipVerdict::kBadCentralDirectory:
      return "bad central directory";
    case ZipVerdict::kBadEntry:
      return "bad entry";
    case ZipVerdict::kDamagedEntry:
      return "damaged entry";
    case ZipVerdict::kUnsupportedEntry:
      return "unsupported entry";
    case ZipVerdict::kUnreadable:
      return "unreadable";
  }
  return "?";
}

ZipVerdict CheckZipArchive(ZipBytes& bytes, const ZipStreamCheck* streamed) {
  return Checker(bytes, streamed).Run();
}

// ---- ZipStreamCheck --------------------------------------------------------------------------

struct ZipStreamCheck::Inflater {
  z_stream z{};
  bool ready = false;
  std::vector<std::uint8_t> out = std::vector<std::uint8_t>(1 << 16);
  ~Inflater() {
    if (ready) inflateEnd(&z);
  }
};

ZipStreamCheck::ZipStreamCheck() = default;
ZipStreamCheck::~ZipStreamCheck() = default;

void ZipStreamCheck::Take(std::span<const std::uint8_t> bytes) {
  while (!bytes.empty()) {
    switch (state_) {
      case State::kHeader:
        TakeHeader(bytes);
        break;
      case State::kName: {
        const std::uint64_t n = std::min<std::uint64_t>(bytes.size(), name_and_extra_ - consumed_);
        consumed_ += n;
        bytes = bytes.subspan(static_cast<std::size_t>(n));
        if (consumed_ == name_and_extra_) {
          state_ = State::kData;
          consumed_ = 0;
          produced_ = 0;
          running_crc_ = crc32(0, nullptr, 0);
          if (compressed_ == 0) {
            EndEntry(uncompressed_ == 0 && method_ == kStoredMethod && crc_ == 0);
          }
        }
        break;
      }
      case State::kData:
        TakeData(bytes);
        break;
      case State::kDirectory:
      case State::kLost:
        return;
    }
  }
}

void ZipStreamCheck::TakeHeader(std::span<const std::uint8_t>& bytes) {
  const std::size_t n = std::min<std::size_t>(bytes.size(), sizeof header_ - consumed_);
  std::memcpy(header_ + consumed_, bytes.data(), n);
  consumed_ += n;
  bytes = bytes.subspan(n);
  if (consumed_ >= 4 && U32(header_) == kCentralHeaderSignature && entries_ > 0) {
    state_ = State::kDirectory;
    return;
  }
  if (consumed_ < sizeof header_) {
    return;
  }
  const std::uint16_t flags = U16(header_ + 6);
  method_ = U16(header_ + 8);
  crc_ = U32(header_ + 14);
  compressed_ = U32(header_ + 18);
  uncompressed_ = U32(header_ + 22);
  name_and_extra_ = static_cast<std::uint64_t>(U16(header_ + 26)) + U16(header_ + 28);
  // Encrypted entries, other methods, sizes in a data descriptor or a Zip64 field: the full
  // check decides.
  if (U32(header_) != kLocalHeaderSignature || (flags & (1 | 8)) != 0 ||
      (method_ != kStoredMethod && method_ != kDeflatedMethod) || compressed_ == 0xffffffff ||
      uncompressed_ == 0xffffffff || (method_ == kStoredMethod && compressed_ != uncompressed_)) {
    state_ = State::kLost;
    return;
  }
  // The name and extra field follow (the next bytes move on even when both are empty).
  state_ = State::kName;
  consumed_ = 0;
}

void ZipStreamCheck::TakeData(std::span<const std::uint8_t>& bytes) {
  const std::size_t n =
      static_cast<std::size_t>(std::min<std::uint64_t>(bytes.size(), compressed_ - consumed_));
  const std::span<const std::uint8_t> data = bytes.first(n);
  bytes = bytes.subspan(n);
  consumed_ += n;
  if (method_ == kStoredMethod) {
    running_crc_ = crc32(running_crc_, data.data(), static_cast<uInt>(data.size()));
    produced_ += data.size();
  } else {
    if (!inflater_) {
      inflater_ = std::make_unique<Inflater>();
    }
    Inflater& f = *inflater_;
    if (!f.ready) {
      if (inflateInit2(&f.z, -MAX_WBITS) != Z_OK) {
        state_ = State::kLost;
        return;
      }
      f.ready = true;
    }
    f.z.next_in = const_cast<Bytef*>(data.data());
    f.z.avail_in = static_cast<uInt>(data.size());
    int status = Z_OK;
    do {
      f.z.next_out = f.out.data();
      f.z.avail_out = static_cast<uInt>(f.out.size());
      status = inflate(&f.z, Z_NO_FLUSH);
      const std::size_t made = f.out.size() - f.z.avail_out;
      produced_ += made;
      running_crc_ = crc32(running_crc_, f.out.data(), static_cast<uInt>(made));
      if ((status != Z_OK && status != Z_STREAM_END && status != Z_BUF_ERROR) ||
          produced_ > uncompressed_ || (status == Z_STREAM_END && f.z.avail_in != 0)) {
        EndEntry(false);
        return;
      }
    } while (status == Z_OK && (f.z.avail_in != 0 || f.z.avail_out == 0));
    if (status == Z_STREAM_END && consumed_ != compressed_) {
      EndEntry(false);
      return;
    }
    if (consumed_ == compressed_) {
      EndEntry(status == Z_STREAM_END && produced_ == uncompressed_ && running_crc_ == crc_);
      return;
    }
    return;
  }
  if (consumed_ == compressed_) {
    EndEntry(produced_ == uncompressed_ && running_crc_ == crc_);
  }
}

void ZipStreamCheck::EndEntry(bool good) {
  if (inflater_ && inflater_->ready) {
    inflateEnd(&inflater_->z);
    inflater_->ready = false;
  }
  if (!good) {
    state_ = State::kLost;
    return;
  }
  fingerprint_ += EntryShare(position_, compressed_, uncompressed_, crc_, method_);
  ++entries_;
  position_ += 30 + name_and_extra_ + compressed_;
  state_ = State::kHeader;
  consumed_ = 0;
}

ZipVerdict CheckZipArchive(std::span<const std::uint8_t> bytes) {
  MemoryBytes memory(bytes);
  return CheckZipArchive(memory);
}

}  // namespace lq
