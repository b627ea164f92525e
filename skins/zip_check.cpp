#include "skins/zip_check.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <memory>
#include <optional>
#include <vector>

#include "skins/zip_records.h"

namespace lq {

// One entry's data, taken in pieces in the order it lies in the archive: inflated (or taken as it
// is, when stored) into its size and its CRC-32, against those its headers declare. It never makes
// more than the declared size plus one byte (which shows a stream that runs longer), so verifying
// entries inflates no more than they declare. Both checkers verify entries through it.
class ZipEntryData {
 public:
  enum class Result { kMore, kGood, kBad };

  ZipEntryData() = default;
  ZipEntryData(const ZipEntryData&) = delete;
  ZipEntryData& operator=(const ZipEntryData&) = delete;
  ~ZipEntryData() {
    if (ready_) {
      inflateEnd(&z_);
    }
  }

  // Starts on an entry; kGood or kBad at once when its data is empty.
  Result Start(std::uint16_t method, std::uint32_t crc, std::uint64_t compressed,
               std::uint64_t uncompressed) {
    method_ = method;
    crc_ = crc;
    compressed_ = compressed;
    uncompressed_ = uncompressed;
    taken_ = 0;
    produced_ = 0;
    running_crc_ = crc32(0, nullptr, 0);
    if (!zip::SizesPossible(method, compressed, uncompressed) ||
        (method != zip::kStored && method != zip::kDeflated)) {
      return Result::kBad;
    }
    if (compressed == 0) {
      // No deflate stream is empty.
      return method == zip::kStored && crc == 0 ? Result::kGood : Result::kBad;
    }
    if (method == zip::kDeflated) {
      const int status = ready_ ? inflateReset(&z_) : inflateInit2(&z_, -MAX_WBITS);
      ready_ = ready_ || status == Z_OK;
      if (status != Z_OK) {
        return Result::kBad;
      }
    }
    return Result::kMore;
  }

  // The next bytes of the data, no more than are left of it. kMore until the data ends.
  Result Take(std::span<const std::uint8_t> piece) {
    taken_ += piece.size();
    if (method_ == zip::kStored) {
      Produced(piece);
      return taken_ < compressed_ ? Result::kMore : Finished();
    }
    z_.next_in = const_cast<Bytef*>(piece.data());
    z_.avail_in = static_cast<uInt>(piece.size());
    for (;;) {
      const std::size_t room = static_cast<std::size_t>(std::min<std::uint64_t>(
                                   out_.size() - 1, uncompressed_ - produced_)) +
                               1;
      z_.next_out = out_.data();
      z_.avail_out = static_cast<uInt>(room);
      const int status = inflate(&z_, Z_NO_FLUSH);
      Produced(std::span(out_).first(room - z_.avail_out));
      if (produced_ > uncompressed_) {
        return Result::kBad;
      }
      if (status == Z_STREAM_END) {
        // The stream must end with the data.
        return z_.avail_in == 0 && taken_ == compressed_ ? Finished() : Result::kBad;
      }
      if (status != Z_OK && status != Z_BUF_ERROR) {
        return Result::kBad;
      }
      if (z_.avail_in == 0 && z_.avail_out != 0) {
        break;  // all of the piece taken
      }
      if (status == Z_BUF_ERROR && z_.avail_out != 0) {
        return Result::kBad;  // stuck with data and room (does not happen with zlib)
      }
    }
    // The data ends before the stream does, or the rest is to come.
    return taken_ < compressed_ ? Result::kMore : Result::kBad;
  }

  // All bytes made so far, over every entry.
  std::uint64_t made() const { return made_; }

 private:
  void Produced(std::span<const std::uint8_t> bytes) {
    produced_ += bytes.size();
    made_ += bytes.size();
    running_crc_ = crc32(running_crc_, bytes.data(), static_cast<uInt>(bytes.size()));
  }
  Result Finished() const {
    return produced_ == uncompressed_ && running_crc_ == crc_ ? Result::kGood : Result::kBad;
  }

  z_stream z_{};
  bool ready_ = false;
  std::uint16_t method_ = 0;
  std::uint32_t crc_ = 0;
  std::uint64_t compressed_ = 0;
  std::uint64_t uncompressed_ = 0;
  std::uint64_t taken_ = 0;
  std::uint64_t produced_ = 0;
  uLong running_crc_ = 0;
  std::uint64_t made_ = 0;
  std::vector<std::uint8_t> out_ = std::vector<std::uint8_t>(1 << 16);
};

namespace {

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

  bool SameEntries(const Directory& o) const {
    return offset == o.offset && size == o.size && entries == o.entries;
  }
};

// What a central header says of its entry, with the Zip64 extra field's values where the classic
// fields defer to it.
struct EntryInfo {
  std::uint64_t local = 0;
  std::uint64_t compressed = 0;
  std::uint64_t uncompressed = 0;
  std::uint32_t crc = 0;
  std::uint16_t method = 0;
  std::uint16_t flags = 0;
};

// The end records whose comment reaches exactly to the end of the bytes.
struct EndRecords {
  std::uint64_t count = 0;
  std::uint64_t first = 0;
  std::uint64_t last = 0;
};

class Checker {
 public:
  Checker(ZipBytes& bytes, const ZipStreamCheck* streamed, ZipCheckWork& work)
      : bytes_(bytes), size_(bytes.size()), streamed_(streamed), work_(work) {}

  ~Checker() { work_.inflated_bytes += data_.made(); }

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
    if (zip::FieldReader(head_).U32(0) != zip::kLocalHeaderSignature) {
      return ZipVerdict::kNoLocalHeader;
    }
    if (size_ < zip::kLocalHeaderSize + zip::kEndRecordSize) {
      return ZipVerdict::kNoEndRecord;
    }
    const EndRecords ends = FindEndRecords();
    if (failed_) {
      return ZipVerdict::kUnreadable;
    }
    work_.end_records += ends.count;
    if (ends.count == 0) {
      return ZipVerdict::kNoEndRecord;
    }
    // A comment may hold bytes that look like an end record. The record nearest the end counts
    // when it describes a whole archive, else the first one, whose comment holds the others; when
    // neither does, the verdict on the one nearest the end.
    const ZipVerdict last = CheckFrom(ends.last);
    if (last == ZipVerdict::kArchive || last == ZipVerdict::kUnreadable || ends.count == 1) {
      return last;
    }
    const ZipVerdict first = CheckFrom(ends.first);
    return first == ZipVerdict::kArchive || first == ZipVerdict::kUnreadable ? first : last;
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

  EndRecords FindEndRecords() {
    EndRecords found;
    const std::uint64_t span =
        std::min<std::uint64_t>(size_, zip::kEndRecordSize + zip::kMaxCommentSize);
    tail_offset_ = size_ - span;
    tail_.resize(static_cast<std::size_t>(span));
    if (!Read(tail_offset_, tail_)) {
      return found;
    }
    zip::FieldReader tail(tail_);
    for (std::size_t at = 0; at + zip::kEndRecordSize <= tail_.size(); ++at) {
      if (tail.U32(at) == zip::kEndRecordSignature &&
          at + zip::kEndRecordSize + tail.U16(at + 20) == tail_.size()) {
        found.first = found.count == 0 ? tail_offset_ + at : found.first;
        found.last = tail_offset_ + at;
        ++found.count;
      }
    }
    return found;
  }

  // The verdict on the archive that the end record at `end` describes. A directory that an end
  // record tried before also described keeps its verdict.
  ZipVerdict CheckFrom(std::uint64_t end) {
    Directory directory;
    const ZipVerdict layout = ReadLayout(end, directory);
    if (layout != ZipVerdict::kArchive) {
      return failed_ ? ZipVerdict::kUnreadable : layout;
    }
    if (checked_ && checked_->first.SameEntries(directory)) {
      return checked_->second;
    }
    ++work_.directories;
    ZipVerdict verdict = CheckDirectory(directory);
    if (failed_) {
      verdict = ZipVerdict::kUnreadable;
    }
    checked_.emplace(directory, verdict);
    return verdict;
  }

  ZipVerdict ReadLayout(std::uint64_t end, Directory& d) {
    zip::FieldReader r{std::span(tail_).subspan(static_cast<std::size_t>(end - tail_offset_))};
    const std::uint16_t disk = r.U16(4);
    const std::uint16_t directory_disk = r.U16(6);
    const std::uint16_t entries_here = r.U16(8);
    const std::uint16_t entries = r.U16(10);
    const std::uint32_t size = r.U32(12);
    const std::uint32_t offset = r.U32(16);
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
    if (d.entries == 0 || d.size < zip::kCentralHeaderSize) {
      return ZipVerdict::kBadCentralDirectory;
    }
    // Local data comes first: at least one local header before the central directory.
    if (d.offset < zip::kLocalHeaderSize || d.offset > d.limit || d.size > d.limit - d.offset) {
      return ZipVerdict::kBadCentralDirectory;
    }
    if (zip::kLocalHeaderSize + zip::ReadLocalHeader(head_).name_and_extra > d.offset) {
      return ZipVerdict::kBadCentralDirectory;
    }
    return ZipVerdict::kArchive;
  }

  ZipVerdict ReadZip64Layout(std::uint64_t end, Directory& d) {
    if (end < zip::kZip64LocatorSize) {
      return ZipVerdict::kBadEndRecord;
    }
    const std::uint64_t locator_at = end - zip::kZip64LocatorSize;
    std::array<std::uint8_t, zip::kZip64LocatorSize> locator_bytes{};
    if (!Read(locator_at, locator_bytes)) {
      return ZipVerdict::kUnreadable;
    }
    zip::FieldReader locator(locator_bytes);
    if (locator.U32(0) != zip::kZip64LocatorSignature || locator.U32(4) != 0 ||
        locator.U32(16) != 1) {
      return ZipVerdict::kBadEndRecord;
    }
    const std::uint64_t record_at = locator.U64(8);
    if (record_at > locator_at || locator_at - record_at < zip::kZip64EndRecordSize) {
      return ZipVerdict::kBadEndRecord;
    }
    std::array<std::uint8_t, zip::kZip64EndRecordSize> record_bytes{};
    if (!Read(record_at, record_bytes)) {
      return ZipVerdict::kUnreadable;
    }
    zip::FieldReader r(record_bytes);
    if (r.U32(0) != zip::kZip64EndRecordSignature || r.U64(4) < zip::kZip64EndRecordSize - 12 ||
        r.U64(4) > locator_at - record_at - 12 || r.U32(16) != 0 || r.U32(20) != 0 ||
        r.U64(24) != r.U64(32)) {
      return ZipVerdict::kBadEndRecord;
    }
    d = {r.U64(48), r.U64(40), r.U64(32), record_at};
    return ZipVerdict::kArchive;
  }

  // The directory's entries are listed first, so that no data is inflated for a directory whose
  // entries could not all be verified within the bound (or at all); then, in the order of their
  // local headers, matched with the entries verified as the bytes arrived, or else verified.
  ZipVerdict CheckDirectory(const Directory& d) {
    std::vector<EntryInfo> entries;
    ZipVerdict v = ListEntries(d, entries);
    if (v != ZipVerdict::kArchive) {
      return v;
    }
    std::stable_sort(entries.begin(), entries.end(),
                     [](const EntryInfo& a, const EntryInfo& b) { return a.local < b.local; });
    // Entries may not share bytes (two that name one local header are the form of a zip bomb):
    // each local header lies after the header and data of the one before. The names and extra
    // fields, not known yet, are checked as each local header is read.
    for (std::size_t i = 0; i < entries.size(); ++i) {
      const EntryInfo& e = entries[i];
      const std::uint64_t next = i + 1 < entries.size() ? entries[i + 1].local : d.offset;
      if (e.compressed > next - e.local || next - e.local - e.compressed < zip::kLocalHeaderSize) {
        return ZipVerdict::kBadEntry;
      }
    }
    if (streamed_ != nullptr && streamed_->complete() &&
        streamed_->directory_offset() == d.offset && streamed_->entries() == entries.size()) {
      ++work_.entry_passes;
      // Only a success counts: a failure's verdict is the one the verifying walk finds first.
      if (MatchStreamed(entries, d)) {
        return ZipVerdict::kArchive;
      }
      if (failed_) {
        return ZipVerdict::kUnreadable;
      }
    }
    ++work_.entry_passes;
    return VerifyEntries(entries, d);
  }

  // Every entry of the central directory is a central header that fits inside it and names a
  // local header before it; the entries fill the directory exactly, and what they declare could
  // be verified within the bound.
  ZipVerdict ListEntries(const Directory& d, std::vector<EntryInfo>& entries) {
    const std::uint64_t end = d.offset + d.size;
    const std::uint64_t limit = zip::DeclaredLimit(size_);
    std::uint64_t declared = 0;
    entries.reserve(
        static_cast<std::size_t>(std::min(d.entries, d.size / zip::kCentralHeaderSize)));
    std::array<std::uint8_t, zip::kCentralHeaderSize> h{};
    for (std::uint64_t at = d.offset; at < end;) {
      if (end - at < zip::kCentralHeaderSize) {
        return ZipVerdict::kBadCentralDirectory;
      }
      if (!ReadBuffered(at, h)) {
        return ZipVerdict::kUnreadable;
      }
      zip::FieldReader r(h);
      if (r.U32(0) != zip::kCentralHeaderSignature) {
        return ZipVerdict::kBadCentralDirectory;
      }
      const std::uint64_t length =
          zip::kCentralHeaderSize + static_cast<std::uint64_t>(r.U16(28)) + r.U16(30) + r.U16(32);
      if (length > end - at) {
        return ZipVerdict::kBadCentralDirectory;
      }
      EntryInfo e;
      const ZipVerdict described = Describe(h, at, d, e);
      if (described != ZipVerdict::kArchive) {
        return described;
      }
      if ((e.flags & zip::kEncryptedFlag) != 0 ||
          (e.method != zip::kStored && e.method != zip::kDeflated)) {
        return ZipVerdict::kUnsupportedEntry;
      }
      if (!zip::SizesPossible(e.method, e.compressed, e.uncompressed)) {
        return ZipVerdict::kDamagedEntry;
      }
      declared = zip::SaturatingAdd(declared, e.uncompressed);
      if (declared > limit) {
        return ZipVerdict::kTooLarge;
      }
      entries.push_back(e);
      at += length;
    }
    return entries.size() == d.entries ? ZipVerdict::kArchive : ZipVerdict::kBadCentralDirectory;
  }

  ZipVerdict Describe(std::span<const std::uint8_t> h, std::uint64_t at, const Directory& d,
                      EntryInfo& e) {
    zip::FieldReader r(h);
    e.flags = r.U16(8);
    e.method = r.U16(10);
    e.crc = r.U32(16);
    e.compressed = r.U32(20);
    e.uncompressed = r.U32(24);
    e.local = r.U32(42);
    if (e.compressed == 0xffffffff || e.uncompressed == 0xffffffff || e.local == 0xffffffff) {
      std::vector<std::uint8_t> extra(r.U16(30));
      if (!Read(at + zip::kCentralHeaderSize + r.U16(28), extra)) {
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
    zip::FieldReader r(extra);
    for (std::size_t at = 0; r.size() - at >= 4;) {
      const std::uint16_t id = r.U16(at);
      const std::size_t size = r.U16(at + 2);
      if (size > r.size() - at - 4) {
        return false;
      }
      if (id == 0x0001) {
        std::size_t field = at + 4;
        for (std::uint64_t* value : {&e.uncompressed, &e.compressed, &e.local}) {
          if (*value != 0xffffffff) {
            continue;
          }
          if (at + 4 + size - field < 8) {
            return false;
          }
          *value = r.U64(field);
          field += 8;
        }
        return r.ok();
      }
      at += 4 + size;
    }
    return false;
  }

  // The entries, in the order of their local headers, are those verified as the bytes arrived:
  // they follow one another from the start of the bytes to the central directory, and each local
  // header names what the central directory does. (The streamed check followed the same local
  // headers from the start, so it verified exactly these entries.)
  bool MatchStreamed(const std::vector<EntryInfo>& entries, const Directory& d) {
    std::uint64_t at = 0;
    std::uint64_t fingerprint = 0;
    std::array<std::uint8_t, zip::kLocalHeaderSize> bytes{};
    for (const EntryInfo& e : entries) {
      if (e.local != at || !Read(at, bytes)) {
        return false;
      }
      const zip::LocalHeader h = zip::ReadLocalHeader(bytes);
      if (h.signature != zip::kLocalHeaderSignature ||
          (h.flags & (zip::kEncryptedFlag | zip::kDataDescriptorFlag)) != 0 ||
          h.method != e.method || h.crc != e.crc || h.compressed != e.compressed ||
          h.uncompressed != e.uncompressed) {
        return false;
      }
      fingerprint += EntryShare(e.local, e.compressed, e.uncompressed, e.crc, e.method);
      at = e.local + zip::kLocalHeaderSize + h.name_and_extra + e.compressed;
    }
    return at == d.offset && fingerprint == streamed_->fingerprint();
  }

  // Each entry's local header, and its data inflated (or read, when stored) in pieces against the
  // size and the CRC-32 the central directory names.
  ZipVerdict VerifyEntries(const std::vector<EntryInfo>& entries, const Directory& d) {
    std::uint64_t free_from = 0;  // where the entry before ends
    std::array<std::uint8_t, zip::kLocalHeaderSize> bytes{};
    for (const EntryInfo& e : entries) {
      if (e.local < free_from || e.local > d.offset - zip::kLocalHeaderSize) {
        return ZipVerdict::kBadEntry;
      }
      if (!Read(e.local, bytes)) {
        return ZipVerdict::kUnreadable;
      }
      const zip::LocalHeader h = zip::ReadLocalHeader(bytes);
      if (h.signature != zip::kLocalHeaderSignature) {
        return ZipVerdict::kBadEntry;
      }
      const std::uint64_t data = e.local + zip::kLocalHeaderSize + h.name_and_extra;
      if (data > d.offset || e.compressed > d.offset - data) {
        return ZipVerdict::kBadEntry;
      }
      const ZipVerdict v = VerifyData(e, data);
      if (v != ZipVerdict::kArchive) {
        return v;
      }
      free_from = data + e.compressed;
    }
    return ZipVerdict::kArchive;
  }

  ZipVerdict VerifyData(const EntryInfo& e, std::uint64_t data) {
    ZipEntryData::Result result = data_.Start(e.method, e.crc, e.compressed, e.uncompressed);
    for (std::uint64_t done = 0; result == ZipEntryData::Result::kMore;) {
      const std::size_t n =
          static_cast<std::size_t>(std::min<std::uint64_t>(kPiece, e.compressed - done));
      if (!Read(data + done, std::span(in_).first(n))) {
        return ZipVerdict::kUnreadable;
      }
      done += n;
      result = data_.Take(std::span(in_).first(n));
    }
    return result == ZipEntryData::Result::kGood ? ZipVerdict::kArchive : ZipVerdict::kDamagedEntry;
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
  static constexpr std::size_t kPiece = 1 << 16;

  ZipBytes& bytes_;
  const std::uint64_t size_;
  const ZipStreamCheck* streamed_;
  ZipCheckWork& work_;
  bool failed_ = false;
  std::array<std::uint8_t, zip::kLocalHeaderSize> head_{};
  std::vector<std::uint8_t> tail_;
  std::uint64_t tail_offset_ = 0;
  std::vector<std::uint8_t> window_;
  std::uint64_t window_offset_ = 0;
  std::optional<std::pair<Directory, ZipVerdict>> checked_;
  ZipEntryData data_;
  std::vector<std::uint8_t> in_ = std::vector<std::uint8_t>(kPiece);
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
    case ZipVerdict::kTooLarge:
      return "too large";
  }
  return "?";
}

ZipVerdict CheckZipArchive(ZipBytes& bytes, const ZipStreamCheck* streamed, ZipCheckWork* work) {
  ZipCheckWork ignored;
  return Checker(bytes, streamed, work != nullptr ? *work : ignored).Run();
}

ZipVerdict CheckZipArchive(std::span<const std::uint8_t> bytes) {
  MemoryBytes memory(bytes);
  return CheckZipArchive(memory);
}

// ---- ZipStreamCheck --------------------------------------------------------------------------

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
          if (!data_) {
            data_ = std::make_unique<ZipEntryData>();
          }
          const ZipEntryData::Result started =
              data_->Start(method_, crc_, compressed_, uncompressed_);
          if (started != ZipEntryData::Result::kMore) {
            EndEntry(started == ZipEntryData::Result::kGood);
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
  if (consumed_ >= 4 && zip::FieldReader(header_).U32(0) == zip::kCentralHeaderSignature &&
      entries_ > 0) {
    state_ = State::kDirectory;
    return;
  }
  if (consumed_ < sizeof header_) {
    return;
  }
  const zip::LocalHeader h = zip::ReadLocalHeader(header_);
  method_ = h.method;
  crc_ = h.crc;
  compressed_ = h.compressed;
  uncompressed_ = h.uncompressed;
  name_and_extra_ = h.name_and_extra;
  declared_ = zip::SaturatingAdd(declared_, uncompressed_);
  const std::uint64_t end_of_data =
      position_ + zip::kLocalHeaderSize + name_and_extra_ + compressed_;
  // Encrypted entries, other methods, sizes in a data descriptor or a Zip64 field, sizes the data
  // cannot hold or that go beyond the bound: the full check decides.
  if (h.signature != zip::kLocalHeaderSignature ||
      (h.flags & (zip::kEncryptedFlag | zip::kDataDescriptorFlag)) != 0 ||
      (method_ != zip::kStored && method_ != zip::kDeflated) || compressed_ == 0xffffffff ||
      uncompressed_ == 0xffffffff || !zip::SizesPossible(method_, compressed_, uncompressed_) ||
      declared_ > zip::DeclaredLimit(end_of_data)) {
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
  const ZipEntryData::Result result = data_->Take(bytes.first(n));
  bytes = bytes.subspan(n);
  consumed_ += n;
  if (result != ZipEntryData::Result::kMore) {
    EndEntry(result == ZipEntryData::Result::kGood);
  }
}

void ZipStreamCheck::EndEntry(bool good) {
  if (!good) {
    state_ = State::kLost;
    return;
  }
  fingerprint_ += EntryShare(position_, compressed_, uncompressed_, crc_, method_);
  ++entries_;
  position_ += zip::kLocalHeaderSize + name_and_extra_ + compressed_;
  state_ = State::kHeader;
  consumed_ = 0;
}

}  // namespace lq
