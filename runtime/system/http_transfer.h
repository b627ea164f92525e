// The bounds of every HTTP transfer and the streamed form of a download. Every connection has a
// connect and a receive timeout; small bodies also have a deadline and a cap; packages instead
// have a stall rule, so a large package on a slow link still arrives but a host that stops
// sending does not hold the download for ever.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "runtime/commands/values.h"

namespace lq {

struct TransferLimits {
  std::uint32_t connect_timeout_ms = 10'000;
  std::uint32_t receive_timeout_ms = 15'000;  // each read, and the wait for the response
  std::uint32_t deadline_ms = 0;              // the whole transfer; 0: none
  std::uint64_t max_body = 0;                 // bytes; 0: no cap beyond a byte set's limit
  // At least `stall_min_bytes` must arrive in every `stall_window_ms`; 0: no stall rule.
  std::uint32_t stall_window_ms = 0;
  std::uint32_t stall_min_bytes = 0;
};

// Any transfer that names no bounds of its own: the timeouts only.
inline constexpr TransferLimits kDefaultTransferLimits{};
// The share page of the version notice.
inline constexpr TransferLimits kSharePageLimits{10'000, 15'000, 10'000, 1u << 20, 0, 0};
// One preview picture.
inline constexpr TransferLimits kPreviewLimits{10'000, 15'000, 15'000, 16u << 20, 0, 0};
// A skin package: no deadline, no cap, but fewer than 1 KiB in any 30 s fails it.
inline constexpr TransferLimits kPackageLimits{10'000, 15'000, 0, 0, 30'000, 1024};

// The conditional and partial parts of one GET: each set field adds its request header.
struct RequestConditions {
  std::string if_none_match;                // If-None-Match, when not empty
  std::string if_modified_since;            // If-Modified-Since, when not empty
  std::optional<std::uint64_t> range_from;  // "Range: bytes=N-", when set
  std::string if_range;                     // If-Range, when not empty and a range is asked for
};

// The response statuses that the program's transfers tell apart.
inline constexpr int kHttpOk = 200;
inline constexpr int kHttpPartial = 206;
inline constexpr int kHttpNotModified = 304;

// What the head of a response tells about its body.
struct ResponseHead {
  int status = 0;
  std::optional<std::uint64_t> length;  // the Content-Length of this response, when it has one
  std::string etag;                     // as sent, quotes kept; empty when there is none
  std::string last_modified;            // as sent; empty when there is none
  // Of a 206: the first byte of the part and the length of the whole (none for "*").
  std::optional<std::uint64_t> range_first;
  std::optional<std::uint64_t> range_total;
};

// How a transfer ended.
enum class TransferEnd {
  kComplete,     // the whole body arrived (as long as announced, when a length was announced)
  kNoResponse,   // bad URL, no session, or the request could not be sent for another reason
  kUnreachable,  // no connection: the name did not resolve, or the host refused or never accepted
  kBroken,       // a read failed, or the body ended shorter than its announced length
  kTimedOut,     // a timeout or the deadline passed
  kTooLarge,     // the body (or its announced length) passes the cap
  kStalled,      // the stall rule failed
  kStopped,      // the sink declined to go on
};

// Where a streamed body goes. Called on the thread that runs the transfer: the caller's, or, for
// a transfer with a deadline or a stall rule, a thread of its own while the caller waits; one call
// at a time, and never once HttpDownload has returned.
class BodySink {
 public:
  // The response's head has arrived. A response that carries no body (1xx, 204, 304, or to HEAD)
  // ends right after it whatever its length says. False stops the transfer before the body
  // (TransferEnd::kStopped).
  virtual bool Begin(const ResponseHead& head) = 0;
  // The next bytes of the body. False stops the transfer (TransferEnd::kStopped).
  virtual bool Take(std::span<const std::uint8_t> bytes) = 0;
  // Optional: the sink's own storage for the next bytes, up to `size`, so that a transfer that
  // runs on the caller's thread reads straight into it; Take then gets a span of that storage.
  // Empty (the default): the bytes come from the transfer's own buffer.
  virtual std::span<std::uint8_t> Room(std::uint32_t /*size*/) { return {}; }

 protected:
  ~BodySink() = default;
};

// A GET over the shared session (the request HttpRead makes) with the headers of `conditions`,
// streamed into `sink` within `limits`. Safe to call from several threads at once.
TransferEnd HttpDownload(const Text& url, const TransferLimits& limits, BodySink& sink,
                         const RequestConditions& conditions = {});

}  // namespace lq
