#include "runtime/system/response_body.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <new>

namespace lq {

std::optional<std::int64_t> ParseContentLength(std::string_view value) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  while (!value.empty() && blank(value.front())) value.remove_prefix(1);
  while (!value.empty() && blank(value.back())) value.remove_suffix(1);
  bool negative = false;
  if (!value.empty() && (value.front() == '-' || value.front() == '+')) {
    negative = value.front() == '-';
    value.remove_prefix(1);
  }
  if (value.empty()) return std::nullopt;
  std::int64_t n = 0;
  for (char c : value) {
    if (c < '0' || c > '9') return std::nullopt;
    if (n > (std::numeric_limits<std::int64_t>::max() - (c - '0')) / 10) return std::nullopt;
    n = n * 10 + (c - '0');
  }
  return negative ? -n : n;
}

std::uint32_t HttpReadChunkSize(std::optional<std::int64_t> contentLength) {
  if (!contentLength || *contentLength <= 0) return kHttpReadDefaultChunk;
  if (*contentLength >= kHttpReadMaxChunk) return kHttpReadMaxChunk;
  return static_cast<std::uint32_t>(*contentLength) + 1;
}

ResponseBody::ResponseBody(std::uint32_t chunk, std::optional<std::int64_t> contentLength)
    : chunk_(chunk == 0 ? kHttpReadDefaultChunk : chunk) {
  if (contentLength && *contentLength > 0 &&
      static_cast<std::uint64_t>(*contentLength) <= kMaxSize) {
    announced_ = static_cast<std::size_t>(*contentLength);
    try {
      bytes_.reserve(std::min(announced_, kHttpReadMaxUpFront) + chunk_);
    } catch (const std::bad_alloc&) {
      // Only a hint: the body then grows as it arrives.
    }
  }
}

bool ResponseBody::EnsureRoom(std::uint32_t want) {
  const std::size_t room = std::min<std::size_t>({want, chunk_, kMaxSize - used_});
  const std::size_t need = used_ + room;
  if (bytes_.size() >= need) return true;
  if (need > bytes_.capacity()) {
    // Reserved storage is not touched until bytes land in it, so a generous growth costs little
    // beyond the address space, while every growth copies the body and touches it anew.
    std::size_t grown = std::min(std::max(bytes_.capacity(), need) * kGrowth, kMaxSize + chunk_);
    // While the body stays within its announced length, room for that length is enough.
    if (announced_ != 0 && used_ < announced_) grown = std::min(grown, announced_ + chunk_);
    if (!Reserve(std::max(need, grown)) && !Reserve(need)) return false;
  }
  bytes_.resize(need);
  return true;
}

bool ResponseBody::Reserve(std::size_t capacity) {
  try {
    bytes_.reserve(capacity);
  } catch (const std::bad_alloc&) {
    return false;
  }
  return true;
}

std::uint8_t* ResponseBody::WritableData(std::uint32_t want) {
  return EnsureRoom(want) ? bytes_.data() + used_ : nullptr;
}

std::uint32_t ResponseBody::WritableSize() const {
  return static_cast<std::uint32_t>(bytes_.size() - used_);
}

void ResponseBody::Commit(std::uint32_t n) { used_ += std::min(n, WritableSize()); }

ByteSet ResponseBody::Take() {
  bytes_.resize(used_);
  used_ = 0;
  return ByteSet(std::move(bytes_));
}

bool BodyCollector::Begin(const ResponseHead& head) {
  std::optional<std::int64_t> claimed;
  if (head.length) {
    claimed = static_cast<std::int64_t>(std::min<std::uint64_t>(*head.length, INT64_MAX));
  }
  body_.emplace(HttpReadChunkSize(claimed), claimed);
  return true;
}

std::span<std::uint8_t> BodyCollector::Room(std::uint32_t size) {
  if (!body_) return {};
  std::uint8_t* room = body_->WritableData(size);
  if (room == nullptr) return {};
  return {room, std::min(size, body_->WritableSize())};
}

bool BodyCollector::Take(std::span<const std::uint8_t> bytes) {
  if (!body_) Begin(ResponseHead{});
  while (!bytes.empty()) {
    std::uint8_t* room = body_->WritableData(
        static_cast<std::uint32_t>(std::min<std::size_t>(bytes.size(), UINT32_MAX)));
    const std::uint32_t n =
        room == nullptr ? 0 : std::min<std::uint32_t>(body_->WritableSize(), bytes.size());
    if (n == 0) {
      out_of_memory_ = true;
      return false;
    }
    // Bytes read into the room are there already.
    if (room != bytes.data()) std::memcpy(room, bytes.data(), n);
    body_->Commit(n);
    bytes = bytes.subspan(n);
  }
  return true;
}

ByteSet BodyCollector::Body() {
  ByteSet body = body_ ? body_->Take() : ByteSet();
  body_.reset();
  return body;
}

}  // namespace lq
