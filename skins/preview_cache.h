// Copies of the skin window's preview pictures, kept in a user folder between openings of the
// window and between runs, each with its address and the host's validators (ETag and
// Last-Modified), so that an opening shows a preview seen before at once and asks the host only
// whether it changed.
//
// One entry file per address, named after a hash of it. An entry holds a header of its own, the
// address, the validators and the picture, and a checksum of all of it; an entry that is damaged,
// cut short, of another format or of another address (two addresses of one hash) is never given
// out: it is replaced by the next copy kept for that address, or goes with the eviction. The
// entries together stay within a bound; the least recently used go first. Entries are written
// whole and renamed into place (UserFolder), and every read checks its entry, so any number of
// threads and processes may use one folder at once. A folder that cannot be written only means
// that nothing new is kept.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "runtime/commands/values.h"
#include "runtime/system/http_read.h"
#include "skins/user_folder.h"

namespace lq {

// All entries together, in bytes.
inline constexpr std::uint64_t kPreviewCacheBytes = 64ull << 20;
// Longer addresses are not kept; longer validators are kept as none.
inline constexpr std::size_t kMaxKeptUrl = 8 * 1024;
inline constexpr std::size_t kMaxKeptValidator = 1024;

struct PreviewValidators {
  std::string etag;           // as the host sent it, quotes kept; empty when none
  std::string last_modified;  // as the host sent it; empty when none
  friend bool operator==(const PreviewValidators&, const PreviewValidators&) = default;
};

struct KeptPreview {
  ByteSet picture;
  PreviewValidators validators;
};

class PreviewCache {
 public:
  explicit PreviewCache(std::unique_ptr<UserFolder> folder,
                        std::uint64_t max_bytes = kPreviewCacheBytes);

  // The copy kept for `url`, now its most recently used; nothing when none is kept or its entry
  // does not check out.
  std::optional<KeptPreview> Find(std::string_view url);
  // Keeps `picture` for `url` in place of what was kept, then removes the least recently used
  // entries (and staged files that no write is finishing) until all fit within the bound. False
  // when it was not kept: the folder cannot be written, or the entry is too large to keep.
  bool Keep(std::string_view url, const PreviewValidators& validators,
            std::span<const std::uint8_t> picture);

 private:
  void Trim(const std::string& kept_name);

  std::unique_ptr<UserFolder> folder_;
  std::uint64_t max_bytes_;
};

// The entry name of `url`'s copy in the folder.
std::string PreviewEntryName(std::string_view url);

// Where the skin window's previews come from: the download host, asked for a preview's URL with a
// GET within the previews' bounds and the conditions given (called on worker threads), and the
// copies of earlier answers (none kept when null).
struct PreviewSource {
  std::function<HttpReadResult(const Text& url, const RequestConditions& conditions)> ask_host;
  std::shared_ptr<PreviewCache> cache;
};

}  // namespace lq
