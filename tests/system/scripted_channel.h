// A host played from a script on a simulated clock, for the transfer engine's tests: the head
// and the body's bytes arrive at set times, and each channel call blocks (moves the clock on) the
// way a WinInet call waits for a real host.
#pragma once

#include <algorithm>
#include <cstdint>
#include <deque>
#include <optional>
#include <span>
#include <vector>

#include "runtime/system/transfer_engine.h"

namespace lq::test {

class FakeClock final : public TickClock {
 public:
  std::uint64_t NowMs() override { return now_; }
  void AdvanceTo(std::uint64_t t) { now_ = std::max(now_, t); }
  void Advance(std::uint64_t ms) { now_ += ms; }

 private:
  std::uint64_t now_ = 1'000;
};

// Body byte i is i mod 251, so a gap or a repeat shows.
inline std::uint8_t ScriptByte(std::uint64_t i) { return static_cast<std::uint8_t>(i % 251); }

inline ResponseHead OkHead() {
  ResponseHead head;
  head.status = 200;
  return head;
}

struct Script {
  struct Arrival {
    std::uint64_t at;  // ms after the request was opened
    std::uint64_t bytes;
  };
  enum class After { kClose, kReset, kSilence };

  ChannelFailure send_failure = ChannelFailure::kNone;  // after `connect_ms`
  std::uint64_t connect_ms = 0;
  std::optional<std::uint64_t> head_at = 0;  // nothing: the head never comes
  ResponseHead head = OkHead();
  std::vector<Arrival> arrivals;  // in time order
  After after = After::kClose;    // once the arrivals are over
  // What a wait longer than the receive timeout fails with (Wine gives socket errors).
  ChannelFailure timeout_failure = ChannelFailure::kOther;
  std::uint64_t read_ms_per_mib = 0;  // the cost of a read, on top of its waits

  // `bytes` in pieces of `piece` spread evenly over [from, from + over_ms).
  Script& Flow(std::uint64_t from, std::uint64_t bytes, std::uint64_t over_ms,
               std::uint64_t piece) {
    const std::uint64_t pieces = (bytes + piece - 1) / piece;
    for (std::uint64_t k = 0; k < pieces; ++k) {
      arrivals.push_back({from + over_ms * k / pieces, std::min(piece, bytes - k * piece)});
    }
    return *this;
  }
  Script& Length(std::uint64_t length) {
    head.length = length;
    return *this;
  }
  std::uint64_t Total() const {
    std::uint64_t total = 0;
    for (const Arrival& a : arrivals) total += a.bytes;
    return total;
  }
};

class ScriptedChannel final : public TransferChannel {
 public:
  ScriptedChannel(Script script, FakeClock& clock)
      : script_(std::move(script)),
        clock_(clock),
        pending_(script_.arrivals.begin(), script_.arrivals.end()) {}

  bool Open(const TransferLimits& limits) override {
    start_ = clock_.NowMs();
    receive_ = limits.receive_timeout_ms;
    return true;
  }

  ChannelFailure Send() override {
    clock_.Advance(script_.connect_ms);
    if (script_.send_failure != ChannelFailure::kNone) return script_.send_failure;
    if (!script_.head_at) return TimeOut();
    if (!WaitFor(start_ + *script_.head_at)) return script_.timeout_failure;
    return ChannelFailure::kNone;
  }

  ResponseHead Head() override { return script_.head; }

  Waiting Available() override {
    Pull();
    if (buffered_ == 0) {
      if (pending_.empty()) {
        if (script_.after == Script::After::kClose) return {};
        if (script_.after == Script::After::kReset) return {ChannelFailure::kOther, 0};
        return {TimeOut(), 0};
      }
      if (!WaitFor(start_ + pending_.front().at)) return {script_.timeout_failure, 0};
      Pull();
    }
    return {ChannelFailure::kNone,
            static_cast<std::uint32_t>(std::min<std::uint64_t>(buffered_, UINT32_MAX))};
  }

  ReadResult Read(std::span<std::uint8_t> room) override {
    ReadResult result;
    for (;;) {
      Pull();
      const auto n =
          static_cast<std::uint32_t>(std::min<std::uint64_t>(buffered_, room.size() - result.got));
      for (std::uint32_t k = 0; k < n; ++k) room[result.got + k] = ScriptByte(read_ + k);
      result.got += n;
      read_ += n;
      buffered_ -= n;
      if (result.got == room.size()) break;
      if (pending_.empty()) {
        if (script_.after == Script::After::kReset) result.failure = ChannelFailure::kOther;
        if (script_.after == Script::After::kSilence) result.failure = TimeOut();
        break;
      }
      if (!WaitFor(start_ + pending_.front().at)) {
        result.failure = script_.timeout_failure;
        break;
      }
    }
    clock_.Advance(result.got * script_.read_ms_per_mib >> 20);
    ++reads_;
    return result;
  }

  int reads() const { return reads_; }

 private:
  // Moves the clock to `t`, or by the receive timeout if that comes first (false).
  bool WaitFor(std::uint64_t t) {
    const std::uint64_t now = clock_.NowMs();
    if (receive_ != 0 && t > now + receive_) {
      clock_.Advance(receive_);
      return false;
    }
    clock_.AdvanceTo(t);
    return true;
  }
  ChannelFailure TimeOut() {
    // A wait without a receive timeout and without an end would never return: an hour stands
    // for it.
    clock_.Advance(receive_ != 0 ? receive_ : 3'600'000);
    return script_.timeout_failure;
  }
  void Pull() {
    while (!pending_.empty() && start_ + pending_.front().at <= clock_.NowMs()) {
      buffered_ += pending_.front().bytes;
      pending_.pop_front();
    }
  }

  Script script_;
  FakeClock& clock_;
  std::deque<Script::Arrival> pending_;
  std::uint64_t start_ = 0;
  std::uint32_t receive_ = 0;
  std::uint64_t buffered_ = 0;
  std::uint64_t read_ = 0;
  int reads_ = 0;
};

}  // namespace lq::test
