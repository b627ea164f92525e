// The rules of a bounded transfer that need no network: when a transfer has run out of time or
// has stalled, how an announced length is judged, and how large each read is.
#pragma once

#include <cstdint>
#include <deque>
#include <optional>

#include "runtime/system/http_transfer.h"

namespace lq {

// Watches one transfer against its deadline and stall rule. Times are milliseconds on any
// monotonic clock; `Arrived` and `Verdict` take non-decreasing times.
class TransferWatch {
 public:
  TransferWatch(const TransferLimits& limits, std::uint64_t start);

  // `total` bytes of the body have arrived by `now` (the running count, not the increment).
  void Arrived(std::uint64_t now, std::uint64_t total);

  // kTimedOut once the deadline has passed, kStalled once fewer than the stall minimum arrived
  // in the last stall window; nothing while the transfer may go on.
  std::optional<TransferEnd> Verdict(std::uint64_t now) const;

  // The earliest time at which the verdict can change if no further byte arrives; nothing when
  // the transfer has no deadline and no stall rule.
  std::optional<std::uint64_t> NextCheck() const;

 private:
  struct Sample {
    std::uint64_t time;
    std::uint64_t total;
  };
  std::optional<std::uint64_t> StallTime() const;

  TransferLimits limits_;
  std::uint64_t start_;
  std::uint64_t total_ = 0;
  // Arrivals of the last stall window, and the last one before it (the window's starting count).
  std::deque<Sample> samples_;
};

// The end of a body judged by what was announced for it: kTooLarge when the announced length or
// the bytes received pass the cap (max_body; 0 is no cap), kBroken when fewer bytes arrived than
// announced, kComplete otherwise. `expects_body` is false for answers that carry no body whatever
// their length says (to HEAD).
TransferEnd AnnouncedLengthEnd(const TransferLimits& limits,
                               std::optional<std::uint64_t> announced);
TransferEnd BodyEnd(const TransferLimits& limits, std::optional<std::uint64_t> announced,
                    std::uint64_t received, bool expects_body);

// The sizes of the reads of a transfer. A read returns only when its room is full or the body has
// ended (WinInet's reads do), so asking for more than is already there is a bet that the link
// brings the rest soon. A read asks for what is there, or for what the link brought in about a
// quarter of a second if that is more, never more than the chunk: a fast link is read in whole
// chunks, and a slow one never waits long inside one read. The rate is measured over spans of at
// least kMeasureMs, as reads that only drain what is already there take no measurable time.
//
// A rate can drop at any moment (a host sends a burst, then trickles), and the bytes a read waits
// for are hidden from the stall rule until it returns; so a read never asks for more than `bet`
// bytes beyond what is there. Under a stall rule the bet is half the rule's minimum: a link that
// brings at least that minimum in every window fills such a read within half a window, so its
// arrivals are seen in time whatever rate came before. The next reads re-measure the rate.
class ReadPacer {
 public:
  explicit ReadPacer(std::uint32_t chunk, std::uint32_t bet = UINT32_MAX)
      : chunk_(chunk == 0 ? 1 : chunk), bet_(bet) {}

  // The most a read of a transfer under `limits` asks for beyond what is there.
  static std::uint32_t BetFor(const TransferLimits& limits);

  // The size of the next read, given the bytes already waiting (at least 1 is asked for).
  std::uint32_t Next(std::uint32_t available) const;
  // The last read brought `got` bytes, `elapsed_ms` after the previous one ended.
  void Done(std::uint32_t got, std::uint64_t elapsed_ms);

  static constexpr std::uint64_t kPaceMs = 250;
  static constexpr std::uint64_t kMeasureMs = 10;

 private:
  std::uint32_t chunk_;
  std::uint32_t bet_;
  std::uint32_t paced_ = 0;
  std::uint64_t measured_bytes_ = 0;
  std::uint64_t measured_ms_ = 0;
};

}  // namespace lq
