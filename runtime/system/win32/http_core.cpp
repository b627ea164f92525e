#include "runtime/system/win32/http_core.h"

#include <algorithm>
#include <vector>

#include "runtime/system/http_read_rules.h"
#include "runtime/system/http_transfer_rules.h"
#include "runtime/system/response_head.h"
#include "runtime/system/win32/unique_handles.h"

namespace lq::sys {
namespace {

// Milliseconds on the performance counter: GetTickCount64 moves in steps of about 16 ms on
// Windows, too coarse to measure the reads of a fast link.
std::uint64_t NowMs() {
  static const std::uint64_t frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<std::uint64_t>(f.QuadPart);
  }();
  LARGE_INTEGER now;
  QueryPerformanceCounter(&now);
  const auto ticks = static_cast<std::uint64_t>(now.QuadPart);
  return ticks / frequency * 1000 + ticks % frequency * 1000 / frequency;
}

// A slim lock held for one scope.
class Locked {
 public:
  explicit Locked(SRWLOCK& lock) : lock_(lock) { AcquireSRWLockExclusive(&lock_); }
  ~Locked() { ReleaseSRWLockExclusive(&lock_); }
  Locked(const Locked&) = delete;
  Locked& operator=(const Locked&) = delete;

 private:
  SRWLOCK& lock_;
};

// The timeouts go on the request before it is sent: WinInet gives them to the connection's
// socket when it connects, and changing them later does not reach a socket already in use.
void SetTimeouts(HINTERNET request, const TransferLimits& limits) {
  DWORD connect = limits.connect_timeout_ms;
  DWORD receive = limits.receive_timeout_ms;
  if (connect != 0) {
    InternetSetOptionW(request, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
  }
  if (receive != 0) {
    for (DWORD option : {INTERNET_OPTION_RECEIVE_TIMEOUT, INTERNET_OPTION_SEND_TIMEOUT,
                         INTERNET_OPTION_DATA_RECEIVE_TIMEOUT, INTERNET_OPTION_DATA_SEND_TIMEOUT}) {
      InternetSetOptionW(request, option, &receive, sizeof receive);
    }
  }
}

// What the transferring thread and a watching caller share. The sink is only called with the
// mutex held and while the caller has not been let go, so it is never called after RunTransfer
// returned.
struct Shared {
  Shared(const TransferLimits& l, BodySink& s) : limits(l), watch(l, NowMs()), sink(&s) {}

  SRWLOCK mutex = SRWLOCK_INIT;
  CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
  const TransferLimits limits;
  TransferWatch watch;
  BodySink* sink;
  bool watched = false;  // the transfer runs on a thread of its own
  bool let_go = false;   // the caller has returned: no more sink calls
  bool done = false;
  TransferReport report;
};

class Transfer {
 public:
  Transfer(std::shared_ptr<RequestChannel> channel, std::shared_ptr<Shared> shared)
      : channel_(std::move(channel)), shared_(std::move(shared)) {}

  void Run() {
    const TransferReport report = Exchange();
    Locked lock(shared_->mutex);
    if (!shared_->let_go) shared_->report = report;
    shared_->done = true;
    WakeAllConditionVariable(&shared_->changed);
  }

 private:
  TransferReport Exchange() {
    TransferReport report;
    HINTERNET request = channel_->Open();
    if (request == nullptr) return report;
    SetTimeouts(request, shared_->limits);
    const std::uint64_t sent = NowMs();
    if (!channel_->Send()) {
      report.end = SendFailureEnd(GetLastError(), NowMs() - sent);
      return report;
    }
    report.head = MakeResponseHead({channel_->Status(), channel_->Header(HTTP_QUERY_CONTENT_LENGTH),
                                    channel_->Header(HTTP_QUERY_ETAG),
                                    channel_->Header(HTTP_QUERY_LAST_MODIFIED),
                                    channel_->Header(HTTP_QUERY_CONTENT_RANGE)});
    const bool carries_body = channel_->ExpectsBody() && StatusCarriesBody(report.head.status);
    const std::optional<std::uint64_t> announced = report.head.length;
    report.end =
        carries_body ? AnnouncedLengthEnd(shared_->limits, announced) : TransferEnd::kComplete;
    if (report.end == TransferEnd::kComplete) {
      report.end = ReadBody(request, report.head, carries_body);
      if (report.end == TransferEnd::kComplete) {
        report.end = BodyEnd(shared_->limits, announced, received_, carries_body);
      }
    }
    if (!LetGo()) channel_->Finish();
    return report;
  }

  bool LetGo() {
    Locked lock(shared_->mutex);
    return shared_->let_go;
  }

  // Hands bytes to the sink unless the caller has been let go; false ends the body.
  bool Deliver(std::span<const std::uint8_t> bytes) {
    Locked lock(shared_->mutex);
    if (shared_->let_go || !shared_->sink->Take(bytes)) return false;
    received_ += bytes.size();
    shared_->watch.Arrived(NowMs(), received_);
    WakeAllConditionVariable(&shared_->changed);
    return true;
  }

  bool Begin(const ResponseHead& head) {
    Locked lock(shared_->mutex);
    return !shared_->let_go && shared_->sink->Begin(head);
  }

  TransferEnd ReadBody(HINTERNET request, const ResponseHead& head, bool carries_body) {
    if (!Begin(head)) return TransferEnd::kStopped;
    if (!carries_body) return TransferEnd::kComplete;
    const std::uint64_t cap = shared_->limits.max_body;
    // A watched transfer reads into a buffer of its own: the sink's storage belongs to a caller
    // that may be let go while a read is under way.
    const bool in_place = !shared_->watched;
    std::optional<std::int64_t> length;
    if (head.length)
      length = static_cast<std::int64_t>(std::min<std::uint64_t>(*head.length, INT64_MAX));
    ReadPacer pacer(HttpReadChunkSize(length), ReadPacer::BetFor(shared_->limits));
    std::vector<std::uint8_t> buffer;
    std::uint64_t last = NowMs();
    for (;;) {
      DWORD available = 0;
      if (!InternetQueryDataAvailable(request, &available, 0, 0)) return ReadFailureEnd(last);
      if (available == 0) return TransferEnd::kComplete;
      std::uint32_t want = pacer.Next(available);
      // One byte past the cap is enough to know the body passes it.
      if (cap != 0)
        want = static_cast<std::uint32_t>(std::min<std::uint64_t>(want, cap - received_ + 1));
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
      DWORD got = 0;
      const bool read = channel_->Read(room.data(), static_cast<DWORD>(room.size()), &got);
      const DWORD error = GetLastError();
      got = std::min<DWORD>(got, static_cast<DWORD>(room.size()));
      // A failing read may still bring bytes (Wine's does): they are the body's.
      if (got != 0 && !Deliver(room.first(got))) return TransferEnd::kStopped;
      if (cap != 0 && received_ > cap) return TransferEnd::kTooLarge;
      if (!read) {
        SetLastError(error);
        return ReadFailureEnd(last);
      }
      if (got == 0) return TransferEnd::kComplete;
      const std::uint64_t now = NowMs();
      pacer.Done(got, now - last);
      last = now;
    }
  }

  // A request that could not be sent. No connection at all is told by the platform's codes for
  // a name that does not resolve and for a connection refused or never accepted (the connect
  // timeout); an answer that does not come within the receive timeout is a time-out, whatever
  // code the platform gives (Wine reports an aborted connection); anything else is no response.
  TransferEnd SendFailureEnd(DWORD error, std::uint64_t waited) const {
    if (error == ERROR_INTERNET_NAME_NOT_RESOLVED || error == ERROR_INTERNET_CANNOT_CONNECT) {
      return TransferEnd::kUnreachable;
    }
    const std::uint32_t receive = shared_->limits.receive_timeout_ms;
    if (error == ERROR_INTERNET_TIMEOUT || (receive != 0 && waited >= receive)) {
      return TransferEnd::kTimedOut;
    }
    return TransferEnd::kNoResponse;
  }

  // A read that fails after waiting as long as the receive timeout timed out, whatever code the
  // platform gives (Wine's is a socket error).
  TransferEnd ReadFailureEnd(std::uint64_t since) const {
    const DWORD error = GetLastError();
    if (error == ERROR_INTERNET_TIMEOUT || error == WSAETIMEDOUT) return TransferEnd::kTimedOut;
    const std::uint32_t receive = shared_->limits.receive_timeout_ms;
    if (receive != 0 && NowMs() - since >= receive) return TransferEnd::kTimedOut;
    return TransferEnd::kBroken;
  }

  std::shared_ptr<RequestChannel> channel_;
  std::shared_ptr<Shared> shared_;
  std::uint64_t received_ = 0;
};

}  // namespace

// Why a watched transfer runs on a thread of its own: a deadline and a stall rule must hold even
// when the host never answers or answers one byte every few seconds, and no WinInet call can be
// cut short from outside on every platform. A read returns only when its buffer is full, and the
// receive timeout applies to each wait for a byte, so a trickle never trips it; the head of the
// response is read inside HttpSendRequest the same way. Closing the request handle from another
// thread cuts a blocked call on Windows, but under Wine InternetCloseHandle only drops a reference
// and the call runs on (tried: a read that waits for a trickled body returns when the body is
// complete, seconds after the close); a timeout changed during a transfer does not reach the
// socket in use either, and Wine ignores the connect timeout for a host that never accepts. So
// the caller waits for the transfer's thread only up to the next moment the limits can fail, and
// then returns at once and lets go of the transfer: the thread hands nothing more to the sink and
// ends by itself when its call returns (its reads ask only for what the link has been bringing,
// so a trickle ends it soon after the next byte and silence at the receive timeout), closing its
// handles there. Not closing the handle from outside also keeps a handle value from being reused
// by another transfer while the thread may still pass it to WinInet.
TransferReport RunTransfer(std::shared_ptr<RequestChannel> channel, const TransferLimits& limits,
                           BodySink& sink) {
  auto shared = std::make_shared<Shared>(limits, sink);
  shared->watched = shared->watch.NextCheck().has_value();
  auto transfer = std::make_shared<Transfer>(std::move(channel), shared);
  if (!shared->watched) {
    transfer->Run();
    return shared->report;
  }
  auto* started = new std::shared_ptr<Transfer>(transfer);
  HANDLE thread = CreateThread(
      nullptr, 0,
      [](void* p) -> DWORD {
        std::unique_ptr<std::shared_ptr<Transfer>> transfer(
            static_cast<std::shared_ptr<Transfer>*>(p));
        (*transfer)->Run();
        return 0;
      },
      started, 0, nullptr);
  if (thread == nullptr) {
    delete started;
    // No thread to spare: the transfer runs here, bounded by its timeouts alone.
    shared->watched = false;
    transfer->Run();
    return shared->report;
  }
  sys::UniqueFile{thread};  // the thread runs on without its handle
  Locked lock(shared->mutex);
  while (!shared->done) {
    const std::uint64_t now = NowMs();
    if (const auto verdict = shared->watch.Verdict(now)) {
      shared->let_go = true;
      TransferReport report;
      report.end = *verdict;
      report.finished = false;
      return report;
    }
    const std::uint64_t next = std::max(shared->watch.NextCheck().value_or(now + 1000), now + 1);
    SleepConditionVariableSRW(&shared->changed, &shared->mutex,
                              static_cast<DWORD>(std::min<std::uint64_t>(next - now, 60'000)), 0);
  }
  return shared->report;
}

}  // namespace lq::sys
