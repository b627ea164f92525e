#include "runtime/system/transfer_engine.h"

#include <algorithm>
#include <condition_variable>  // also steady_clock: <chrono> itself does not build with a GBK execution set
#include <mutex>
#include <new>
#include <optional>
#include <vector>

#include "runtime/platform/thread.h"
#include "runtime/system/response_body.h"
#include "runtime/system/response_head.h"
#include "runtime/system/transfer_bounds.h"

namespace lq {
namespace {

class Steady final : public TickClock {
 public:
  std::uint64_t NowMs() override {
    return static_cast<std::uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
  }
};

// What the transferring thread and a watching caller share. The sink is only called with the
// mutex held and while the caller has not been let go, so it is never called after RunTransfer
// returned.
struct Shared {
  Shared(const TransferLimits& l, BodySink& s, TickClock& c)
      : limits(l), clock(c), watch(l, c.NowMs()), sink(&s) {}

  std::mutex mutex;
  std::condition_variable changed;
  const TransferLimits limits;
  TickClock& clock;
  TransferWatch watch;
  BodySink* sink;
  bool watched = false;  // a caller on another thread waits for the transfer
  bool let_go = false;   // the caller has returned, or will with `report`: no more sink calls
  bool done = false;
  TransferReport report;

  // Lets the caller go with the verdict of the limits at `now`, if they have one. Mutex held.
  bool CutOff(std::uint64_t now) {
    if (let_go) return true;
    const auto verdict = watch.Verdict(now);
    if (!verdict) return false;
    let_go = true;
    report = {};
    report.end = *verdict;
    report.finished = false;
    return true;
  }
};

class Transfer {
 public:
  Transfer(std::shared_ptr<TransferChannel> channel, std::shared_ptr<Shared> shared)
      : channel_(std::move(channel)), shared_(std::move(shared)) {}

  void Run() {
    const TransferReport report = Exchange();
    std::lock_guard lock(shared_->mutex);
    if (!shared_->let_go) shared_->report = report;
    shared_->done = true;
    shared_->changed.notify_all();
  }

 private:
  std::uint64_t Now() { return shared_->clock.NowMs(); }

  TransferReport Exchange() {
    TransferReport report;
    const TransferLimits& limits = shared_->limits;
    if (!channel_->Open(limits)) return report;
    report.opened = true;
    const std::uint64_t sent = Now();
    const ChannelFailure failure = channel_->Send();
    // Limits that passed while the request was sent end it, whatever the send says.
    if (CutOff()) return report;
    if (failure != ChannelFailure::kNone) {
      report.end = SendFailureEnd(failure, Now() - sent);
      channel_->Finish();
      return report;
    }
    report.head = channel_->Head();
    const bool carries_body = channel_->ExpectsBody() && StatusCarriesBody(report.head.status);
    const std::optional<std::uint64_t> announced = report.head.length;
    report.end = carries_body ? AnnouncedLengthEnd(limits, announced) : TransferEnd::kComplete;
    if (report.end == TransferEnd::kComplete) {
      report.end = ReadBody(report.head, carries_body);
      if (report.end == TransferEnd::kComplete) {
        report.end = BodyEnd(limits, announced, received_, carries_body);
      }
    }
    if (!CutOff()) channel_->Finish();
    return report;
  }

  // Whether the caller has been let go, or is now because the limits ended the transfer while a
  // channel call blocked.
  bool CutOff() {
    std::lock_guard lock(shared_->mutex);
    const bool cut = shared_->CutOff(Now());
    if (cut) shared_->changed.notify_all();
    return cut;
  }

  // Hands bytes to the sink unless the caller has been let go; false ends the body.
  bool Deliver(std::span<const std::uint8_t> bytes) {
    std::lock_guard lock(shared_->mutex);
    const std::uint64_t now = Now();
    if (shared_->CutOff(now) || !shared_->sink->Take(bytes)) return false;
    received_ += bytes.size();
    shared_->watch.Arrived(now, received_);
    shared_->changed.notify_all();
    return true;
  }

  bool Begin(const ResponseHead& head) {
    std::lock_guard lock(shared_->mutex);
    return !shared_->let_go && shared_->sink->Begin(head);
  }

  TransferEnd ReadBody(const ResponseHead& head, bool carries_body) {
    if (!Begin(head)) return TransferEnd::kStopped;
    if (!carries_body) return TransferEnd::kComplete;
    const TransferLimits& limits = shared_->limits;
    const std::uint64_t cap = limits.max_body;
    // A watched transfer reads into a buffer of its own: the sink's storage belongs to a caller
    // that may be let go while a read is under way.
    const bool in_place = !shared_->watched;
    std::optional<std::int64_t> length;
    if (head.length) {
      length = static_cast<std::int64_t>(std::min<std::uint64_t>(*head.length, INT64_MAX));
    }
    ReadPacer pacer(HttpReadChunkSize(length), ReadPacer::BetFor(limits));
    std::vector<std::uint8_t> buffer;
    std::uint64_t last = Now();
    for (;;) {
      const TransferChannel::Waiting waiting = channel_->Available();
      if (waiting.failure != ChannelFailure::kNone) return ReadFailureEnd(waiting.failure, last);
      if (waiting.bytes == 0) return TransferEnd::kComplete;
      std::uint32_t want = pacer.Next(waiting.bytes);
      // One byte past the cap is enough to know the body passes it.
      if (cap != 0) {
        want = static_cast<std::uint32_t>(std::min<std::uint64_t>(want, cap - received_ + 1));
      }
      std::span<std::uint8_t> room;
      if (in_place) room = shared_->sink->Room(want);
      if (room.empty()) {
        if (buffer.size() < want) {
          try {
            buffer.resize(want);
          } catch (const std::bad_alloc&) {
            return TransferEnd::kTooLarge;
          }
        }
        room = std::span(buffer.data(), want);
      }
      const TransferChannel::ReadResult read = channel_->Read(room);
      const std::uint32_t got = std::min<std::uint32_t>(read.got, room.size());
      if (got != 0 && !Deliver(room.first(got))) return TransferEnd::kStopped;
      if (cap != 0 && received_ > cap) return TransferEnd::kTooLarge;
      if (read.failure != ChannelFailure::kNone) return ReadFailureEnd(read.failure, last);
      if (got == 0) return TransferEnd::kComplete;
      const std::uint64_t now = Now();
      pacer.Done(got, now - last);
      last = now;
    }
  }

  // A request that could not be sent: no connection at all, a time-out when the platform says so
  // or the answer did not come within the receive timeout (whatever the platform then says: Wine
  // reports an aborted connection), otherwise no response.
  TransferEnd SendFailureEnd(ChannelFailure failure, std::uint64_t waited) const {
    if (failure == ChannelFailure::kUnreachable) return TransferEnd::kUnreachable;
    const std::uint32_t receive = shared_->limits.receive_timeout_ms;
    if (failure == ChannelFailure::kTimedOut || (receive != 0 && waited >= receive)) {
      return TransferEnd::kTimedOut;
    }
    return TransferEnd::kNoResponse;
  }

  // A read that fails after waiting as long as the receive timeout timed out, whatever the
  // platform says (Wine's is a socket error); any other failure breaks the body.
  TransferEnd ReadFailureEnd(ChannelFailure failure, std::uint64_t since) {
    if (failure == ChannelFailure::kTimedOut) return TransferEnd::kTimedOut;
    const std::uint32_t receive = shared_->limits.receive_timeout_ms;
    if (receive != 0 && Now() - since >= receive) return TransferEnd::kTimedOut;
    return TransferEnd::kBroken;
  }

  std::shared_ptr<TransferChannel> channel_;
  std::shared_ptr<Shared> shared_;
  std::uint64_t received_ = 0;
};

TransferReport RunHere(Transfer& transfer, Shared& shared) {
  shared.watched = false;
  transfer.Run();
  return shared.report;
}

}  // namespace

TickClock& SteadyClock() {
  static Steady clock;
  return clock;
}

// Why a watched transfer runs on a thread of its own: a deadline and a stall rule must hold even
// when the host never answers or answers one byte every few seconds, and no WinInet call can be
// cut short from outside on every platform. A read returns only when its buffer is full, and the
// receive timeout applies to each wait for a byte, so a trickle never trips it; the head of the
// response is read inside HttpSendRequest the same way. Closing the request handle from another
// thread cuts a blocked call on Windows, but under Wine InternetCloseHandle only drops a reference
// and the call runs on; a timeout changed during a transfer does not reach the socket in use
// either, and Wine leaves a connect that is never accepted to the system (about two minutes). So
// the caller waits for the transfer's thread only up to the next moment the limits can fail, and
// then returns at once and lets go of the transfer: the thread hands nothing more to the sink and
// ends by itself when its call returns, closing its handles there. Not closing a handle from
// outside also keeps a handle value from being reused by another transfer while the thread may
// still pass it to WinInet.
TransferReport RunTransfer(std::shared_ptr<TransferChannel> channel, const TransferLimits& limits,
                           BodySink& sink, TickClock& clock, bool watch_thread) {
  auto shared = std::make_shared<Shared>(limits, sink, clock);
  auto transfer = std::make_shared<Transfer>(std::move(channel), shared);
  if (!watch_thread || !shared->watch.NextCheck()) return RunHere(*transfer, *shared);
  shared->watched = true;
  if (!platform::Thread::Start([transfer] { transfer->Run(); })) {
    // No thread to spare: the transfer runs here, its limits judged between its calls.
    return RunHere(*transfer, *shared);
  }
  std::unique_lock lock(shared->mutex);
  while (!shared->done) {
    const std::uint64_t now = clock.NowMs();
    if (shared->CutOff(now)) return shared->report;
    const std::uint64_t next = std::max(shared->watch.NextCheck().value_or(now + 1000), now + 1);
    shared->changed.wait_for(
        lock, std::chrono::milliseconds(std::min<std::uint64_t>(next - now, 60'000)));
  }
  return shared->report;
}

}  // namespace lq
