#include "runtime/system/transfer_bounds.h"

#include <algorithm>

namespace lq {

TransferWatch::TransferWatch(const TransferLimits& limits, std::uint64_t start)
    : limits_(limits), start_(start) {
  if (limits_.stall_window_ms != 0) samples_.push_back({start, 0});
}

void TransferWatch::Arrived(std::uint64_t now, std::uint64_t total) {
  if (total <= total_) return;
  total_ = total;
  if (limits_.stall_window_ms == 0) return;
  samples_.push_back({now, total});
  // A window that starts at a sample whose count is this far behind holds enough bytes, and so
  // does every later window that starts there: such samples can never fail the rule again.
  while (samples_.size() > 1 && samples_.front().total + limits_.stall_min_bytes <= total_) {
    samples_.pop_front();
  }
}

std::optional<std::uint64_t> TransferWatch::StallTime() const {
  if (limits_.stall_window_ms == 0) return std::nullopt;
  // A window (t - W, t] starting at or after sample i holds total - count(i) bytes; the first
  // sample whose count is less than the minimum behind fails the rule a window after it.
  for (const Sample& s : samples_) {
    if (s.total + limits_.stall_min_bytes > total_) {
      return std::max(s.time, start_) + limits_.stall_window_ms;
    }
  }
  return std::nullopt;
}

std::optional<TransferEnd> TransferWatch::Verdict(std::uint64_t now) const {
  if (limits_.deadline_ms != 0 && now >= start_ + limits_.deadline_ms) {
    return TransferEnd::kTimedOut;
  }
  if (const auto stall = StallTime(); stall && now >= *stall) return TransferEnd::kStalled;
  return std::nullopt;
}

std::optional<std::uint64_t> TransferWatch::NextCheck() const {
  std::optional<std::uint64_t> next = StallTime();
  if (limits_.deadline_ms != 0) {
    const std::uint64_t deadline = start_ + limits_.deadline_ms;
    next = next ? std::min(*next, deadline) : deadline;
  }
  return next;
}

TransferEnd AnnouncedLengthEnd(const TransferLimits& limits,
                               std::optional<std::uint64_t> announced) {
  if (limits.max_body != 0 && announced && *announced > limits.max_body) {
    return TransferEnd::kTooLarge;
  }
  return TransferEnd::kComplete;
}

TransferEnd BodyEnd(const TransferLimits& limits, std::optional<std::uint64_t> announced,
                    std::uint64_t received, bool expects_body) {
  if (limits.max_body != 0 && received > limits.max_body) return TransferEnd::kTooLarge;
  if (expects_body && announced && received < *announced) return TransferEnd::kBroken;
  return TransferEnd::kComplete;
}

std::uint32_t ReadPacer::BetFor(const TransferLimits& limits) {
  if (limits.stall_window_ms == 0) return UINT32_MAX;
  return std::max<std::uint32_t>(limits.stall_min_bytes / 2, 1);
}

std::uint32_t ReadPacer::Next(std::uint32_t available) const {
  const std::uint64_t most = std::uint64_t{available} + bet_;
  const std::uint64_t paced = std::min<std::uint64_t>(paced_, most);
  return static_cast<std::uint32_t>(
      std::min<std::uint64_t>(chunk_, std::max<std::uint64_t>({available, paced, 1})));
}

void ReadPacer::Done(std::uint32_t got, std::uint64_t elapsed_ms) {
  measured_bytes_ += got;
  measured_ms_ += elapsed_ms;
  if (measured_ms_ < kMeasureMs) return;
  paced_ = static_cast<std::uint32_t>(
      std::min<std::uint64_t>(chunk_, measured_bytes_ * kPaceMs / measured_ms_));
  measured_bytes_ = 0;
  measured_ms_ = 0;
}

}  // namespace lq
