#include "skins/preview_cache.h"

#include <zlib.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <utility>
#include <vector>

#include "runtime/system/http_transfer.h"

namespace lq {
namespace {

// An entry, every number little-endian:
//   0  "LQPV"                    magic
//   4  u16 format version (1)    6  u16 zero
//   8  u32 address length       12  u32 ETag length       16  u32 Last-Modified length
//  20  u32 zero                 24  u64 picture length
//  32  u32 CRC-32 of the whole entry but these four bytes
//  36  address, ETag, Last-Modified, picture
constexpr std::array<std::uint8_t, 4> kMagic = {'L', 'Q', 'P', 'V'};
constexpr std::uint16_t kFormatVersion = 1;
constexpr std::size_t kChecksumAt = 32;
constexpr std::size_t kHeaderSize = 36;
constexpr std::uint64_t kMaxPicture = kPreviewLimits.max_body;
constexpr std::uint64_t kMaxEntry = kHeaderSize + kMaxKeptUrl + 2 * kMaxKeptValidator + kMaxPicture;

constexpr std::string_view kEntrySuffix = ".preview";
constexpr std::size_t kHashDigits = 16;

void Put(std::vector<std::uint8_t>& out, std::uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
}

std::uint64_t Get(std::span<const std::uint8_t> in, std::size_t at, int bytes) {
  std::uint64_t value = 0;
  for (int i = 0; i < bytes; ++i) value |= std::uint64_t{in[at + i]} << (8 * i);
  return value;
}

void Append(std::vector<std::uint8_t>& out, std::span<const std::uint8_t> bytes) {
  out.insert(out.end(), bytes.begin(), bytes.end());
}
void Append(std::vector<std::uint8_t>& out, std::string_view text) {
  Append(out, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
}

// CRC-32 of the entry without its checksum field.
std::uint32_t EntryChecksum(std::span<const std::uint8_t> entry) {
  uLong crc = crc32(0L, Z_NULL, 0);
  crc = crc32(crc, entry.data(), static_cast<uInt>(kChecksumAt));
  for (std::size_t at = kChecksumAt + 4; at < entry.size();) {
    const std::size_t piece = std::min<std::size_t>(entry.size() - at, 1u << 30);
    crc = crc32(crc, entry.data() + at, static_cast<uInt>(piece));
    at += piece;
  }
  return static_cast<std::uint32_t>(crc);
}

std::string_view Keepable(const std::string& validator) {
  return validator.size() <= kMaxKeptValidator ? std::string_view(validator) : std::string_view();
}

std::vector<std::uint8_t> MakeEntry(std::string_view url, const PreviewValidators& validators,
                                    std::span<const std::uint8_t> picture) {
  const std::string_view etag = Keepable(validators.etag);
  const std::string_view last_modified = Keepable(validators.last_modified);
  std::vector<std::uint8_t> entry;
  entry.reserve(kHeaderSize + url.size() + etag.size() + last_modified.size() + picture.size());
  Append(entry, kMagic);
  Put(entry, kFormatVersion, 2);
  Put(entry, 0, 2);
  Put(entry, url.size(), 4);
  Put(entry, etag.size(), 4);
  Put(entry, last_modified.size(), 4);
  Put(entry, 0, 4);
  Put(entry, picture.size(), 8);
  Put(entry, 0, 4);  // the checksum, below
  Append(entry, url);
  Append(entry, etag);
  Append(entry, last_modified);
  Append(entry, picture);
  const std::uint32_t checksum = EntryChecksum(entry);
  for (int i = 0; i < 4; ++i)
    entry[kChecksumAt + i] = static_cast<std::uint8_t>(checksum >> (8 * i));
  return entry;
}

// The copy an entry holds for `url`; nothing when the entry does not check out or is another
// address's.
std::optional<KeptPreview> ReadEntry(std::span<const std::uint8_t> entry, std::string_view url) {
  if (entry.size() < kHeaderSize || !std::equal(kMagic.begin(), kMagic.end(), entry.begin()) ||
      Get(entry, 4, 2) != kFormatVersion || Get(entry, 6, 2) != 0 || Get(entry, 20, 4) != 0) {
    return std::nullopt;
  }
  const std::uint64_t url_size = Get(entry, 8, 4);
  const std::uint64_t etag_size = Get(entry, 12, 4);
  const std::uint64_t modified_size = Get(entry, 16, 4);
  const std::uint64_t picture_size = Get(entry, 24, 8);
  // Each part within its bound, so that the sum cannot overflow.
  if (url_size > kMaxKeptUrl || etag_size > kMaxKeptValidator ||
      modified_size > kMaxKeptValidator || picture_size > kMaxPicture ||
      kHeaderSize + url_size + etag_size + modified_size + picture_size != entry.size() ||
      Get(entry, kChecksumAt, 4) != EntryChecksum(entry)) {
    return std::nullopt;
  }
  auto text = [&](std::size_t at, std::uint64_t size) {
    return std::string(reinterpret_cast<const char*>(entry.data() + at), size);
  };
  std::size_t at = kHeaderSize;
  if (text(at, url_size) != url) {
    return std::nullopt;
  }
  at += url_size;
  KeptPreview kept;
  kept.validators.etag = text(at, etag_size);
  at += etag_size;
  kept.validators.last_modified = text(at, modified_size);
  at += modified_size;
  kept.picture = ByteSet(entry.data() + at, picture_size);
  return kept;
}

bool IsEntryName(std::string_view name) {
  return name.size() == kHashDigits + kEntrySuffix.size() && name.ends_with(kEntrySuffix) &&
         std::all_of(name.begin(), name.begin() + kHashDigits,
                     [](char c) { return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f'); });
}

}  // namespace

std::string PreviewEntryName(std::string_view url) {
  // FNV-1a, 64 bits.
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : url) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  std::string name(kHashDigits, '0');
  for (std::size_t i = 0; i < kHashDigits; ++i) {
    name[kHashDigits - 1 - i] = "0123456789abcdef"[(hash >> (4 * i)) & 15];
  }
  return name + std::string(kEntrySuffix);
}

PreviewCache::PreviewCache(std::unique_ptr<UserFolder> folder, std::uint64_t max_bytes)
    : folder_(std::move(folder)), max_bytes_(max_bytes) {}

std::optional<KeptPreview> PreviewCache::Find(std::string_view url) {
  if (!folder_ || url.empty() || url.size() > kMaxKeptUrl) {
    return std::nullopt;
  }
  const std::string name = PreviewEntryName(url);
  std::optional<ByteSet> entry = folder_->Read(name, kMaxEntry);
  if (!entry) {
    return std::nullopt;
  }
  std::optional<KeptPreview> kept = ReadEntry(entry->bytes(), url);
  if (kept) {
    folder_->Touch(name);  // a folder that cannot be written keeps its old order
  }
  return kept;
}

bool PreviewCache::Keep(std::string_view url, const PreviewValidators& validators,
                        std::span<const std::uint8_t> picture) {
  if (!folder_ || url.empty() || url.size() > kMaxKeptUrl || picture.size() > kMaxPicture) {
    return false;
  }
  const std::vector<std::uint8_t> entry = MakeEntry(url, validators, picture);
  if (entry.size() > max_bytes_) {
    return false;
  }
  const std::string name = PreviewEntryName(url);
  if (!folder_->Write(name, entry)) {
    return false;
  }
  Trim(name);
  return true;
}

void PreviewCache::Trim(const std::string& kept_name) {
  std::optional<std::vector<UserFileInfo>> files = folder_->List();
  if (!files) {
    return;
  }
  std::uint64_t total = 0;
  std::vector<UserFileInfo> entries;
  for (UserFileInfo& file : *files) {
    if (IsStagedName(file.name)) {
      // Left by a write that never ended, unless a write is finishing it now: then it cannot be
      // deleted and counts until it is renamed.
      if (!folder_->Delete(file.name)) total += file.size;
    } else if (IsEntryName(file.name)) {
      total += file.size;
      if (file.name != kept_name) entries.push_back(std::move(file));
    }
  }
  std::sort(entries.begin(), entries.end(), [](const UserFileInfo& a, const UserFileInfo& b) {
    return a.last_use != b.last_use ? a.last_use < b.last_use : a.name < b.name;
  });
  for (const UserFileInfo& oldest : entries) {
    if (total <= max_bytes_) {
      break;
    }
    // One that cannot be deleted still counts: the folder may hold more than its bound then.
    if (folder_->Delete(oldest.name)) total -= oldest.size;
  }
}

}  // namespace lq
