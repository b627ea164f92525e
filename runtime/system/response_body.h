// The response body in memory: how large a read is, and how the body grows while it arrives.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/commands/values.h"
#include "runtime/system/http_transfer.h"

namespace lq {

// The largest read, also the read of a body without an announced length: WinInet's cost per read
// call dominates small reads (reads of 100 KB bring a large body about a third slower than reads
// of 1 MiB), and the size of a read changes nothing a caller sees.
inline constexpr std::uint32_t kHttpReadMaxChunk = 1u << 20;
inline constexpr std::uint32_t kHttpReadDefaultChunk = kHttpReadMaxChunk;
// The most an announced length reserves before any byte of the body has arrived.
inline constexpr std::size_t kHttpReadMaxUpFront = std::size_t{1} << 20;

// Parses a Content-Length header value (decimal, optional surrounding blanks). Anything else,
// including a value too large for 63 bits, gives nothing.
std::optional<std::int64_t> ParseContentLength(std::string_view headerValue);

// Size of each read: a missing or non-positive length gives the default chunk, otherwise the
// length plus one, at most the maximum chunk.
std::uint32_t HttpReadChunkSize(std::optional<std::int64_t> contentLength);

// The body under construction. Reads go straight into the final storage, which grows
// geometrically (fourfold) with the bytes that arrive: an announced length reserves at most
// kHttpReadMaxUpFront before the body comes (the length is the server's claim, not a fact) and
// caps the growth while the body stays within it, so a right length ends with no slack beyond one
// chunk. No read copies what arrived before it except on a growth: the whole body is copied
// O(log n) times at most. Storage that cannot grow ends the body (WritableData gives null); it
// never ends the program.
class ResponseBody {
 public:
  // The largest body kept: a byte set's length is a 32-bit signed number.
  static constexpr std::size_t kMaxSize = 0x7fffffff;

  ResponseBody(std::uint32_t chunk, std::optional<std::int64_t> contentLength);

  // Room for the next read of up to `want` bytes: at most one chunk, less only near kMaxSize.
  // Null when the storage could not grow to hold it.
  std::uint8_t* WritableData(std::uint32_t want = UINT32_MAX);
  // The room prepared after the received bytes (0 when the body is full).
  std::uint32_t WritableSize() const;
  // Marks n bytes of the room as received (n <= WritableSize()).
  void Commit(std::uint32_t n);

  std::size_t size() const { return used_; }
  std::size_t capacity() const { return bytes_.capacity(); }

  // The received bytes as a byte set; the object is empty afterwards.
  ByteSet Take();

 private:
  bool EnsureRoom(std::uint32_t want);
  bool Reserve(std::size_t capacity);

  static constexpr std::size_t kGrowth = 4;

  std::uint32_t chunk_;
  std::size_t announced_ = 0;  // 0: none
  std::size_t used_ = 0;
  // bytes_.size() - used_ is the zeroed room after the received bytes; every byte is zeroed once.
  std::vector<std::uint8_t> bytes_;
};

// A sink that keeps the whole body in memory as a ResponseBody, read in place when the transfer
// allows it. A body that cannot grow stops the transfer and is marked out of memory.
class BodyCollector : public BodySink {
 public:
  bool Begin(const ResponseHead& head) override;
  bool Take(std::span<const std::uint8_t> bytes) override;
  std::span<std::uint8_t> Room(std::uint32_t size) override;

  bool out_of_memory() const { return out_of_memory_; }
  // The bytes received so far; the collector is empty afterwards.
  ByteSet Body();

 private:
  std::optional<ResponseBody> body_;
  bool out_of_memory_ = false;
};

}  // namespace lq
