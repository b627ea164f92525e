#include "runtime/system/http_read_rules.h"

#include <algorithm>
#include <limits>
#include <new>

namespace lq {

std::string_view CutAtFragment(std::string_view url) { return url.substr(0, url.find('#')); }

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
    // A length that cannot be reserved is only a hint: the body then grows as it arrives.
    try {
      bytes_.reserve(static_cast<std::size_t>(*contentLength) + chunk_);
    } catch (const std::bad_alloc&) {
    }
  }
}

void ResponseBody::EnsureRoom() {
  const std::size_t room = std::min<std::size_t>(chunk_, kMaxSize - used_);
  const std::size_t need = used_ + room;
  if (bytes_.size() >= need) return;
  if (need > bytes_.capacity()) {
    const std::size_t doubled = std::min(bytes_.capacity() * 2, kMaxSize + chunk_);
    bytes_.reserve(std::max(need, doubled));
  }
  bytes_.resize(need);
}

std::uint8_t* ResponseBody::WritableData() {
  EnsureRoom();
  return bytes_.data() + used_;
}

std::uint32_t ResponseBody::WritableSize() const {
  return static_cast<std::uint32_t>(std::min<std::size_t>(chunk_, kMaxSize - used_));
}

void ResponseBody::Commit(std::uint32_t n) { used_ += std::min(n, WritableSize()); }

ByteSet ResponseBody::Take() {
  bytes_.resize(used_);
  used_ = 0;
  return ByteSet(std::move(bytes_));
}

}  // namespace lq
