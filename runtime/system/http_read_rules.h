// The request rules of HttpRead that do not touch the network: where a URL ends, how large a read
// is, and how the response body grows while it arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "runtime/commands/values.h"

namespace lq {

inline constexpr std::uint32_t kHttpReadDefaultChunk = 10240;
inline constexpr std::uint32_t kHttpReadMaxChunk = 102400;

// The URL without its fragment: everything before the first '#'. A '#' byte never occurs inside a
// GBK character (trail bytes start at 0x40), so the cut is safe on GBK texts.
std::string_view CutAtFragment(std::string_view url);

// Parses a Content-Length header value (decimal, optional surrounding blanks). Anything else,
// including a value too large for 63 bits, gives nothing.
std::optional<std::int64_t> ParseContentLength(std::string_view headerValue);

// Size of each read: a missing or non-positive length gives the default chunk, otherwise the
// length plus one, at most the maximum chunk.
std::uint32_t HttpReadChunkSize(std::optional<std::int64_t> contentLength);

// The body under construction. Reads go straight into the final storage: with a known length the
// storage is reserved once (length plus one chunk, so the closing empty read fits too); otherwise
// it grows geometrically. No read copies what arrived before it except on a geometric growth, so
// the whole body is copied O(log n) times at most and never when the length was right.
class ResponseBody {
 public:
  // The largest body kept: a byte set's length is a 32-bit signed number.
  static constexpr std::size_t kMaxSize = 0x7fffffff;

  ResponseBody(std::uint32_t chunk, std::optional<std::int64_t> contentLength);

  // Room for the next read: at most one chunk, less only near kMaxSize (0 when full).
  std::uint8_t* WritableData();
  std::uint32_t WritableSize() const;
  // Marks n bytes of the room as received (n <= WritableSize()).
  void Commit(std::uint32_t n);

  std::size_t size() const { return used_; }
  std::size_t capacity() const { return bytes_.capacity(); }

  // The received bytes as a byte set; the object is empty afterwards.
  ByteSet Take();

 private:
  void EnsureRoom();

  std::uint32_t chunk_;
  std::size_t used_ = 0;
  // bytes_.size() - used_ is the zeroed room after the received bytes; every byte is zeroed once.
  std::vector<std::uint8_t> bytes_;
};

}  // namespace lq
