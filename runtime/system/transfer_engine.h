// The one HTTP transfer engine under HttpRead, HttpDownload and HttpRequest: it sends a request
// through a channel, reads the response's body in bounded steps into a sink, and holds the
// transfer to its limits (timeouts, deadline, stall rule, announced length, cap). The channel
// (WinInet on Windows, a script in tests) and the clock are given to it, so that every rule runs
// the same against the network and against a scripted host on a simulated clock.
#pragma once

#include <cstdint>
#include <memory>
#include <span>

#include "runtime/system/http_transfer.h"

namespace lq {

// Milliseconds on a monotonic clock.
class TickClock {
 public:
  virtual std::uint64_t NowMs() = 0;

 protected:
  ~TickClock() = default;
};

// The process's monotonic clock.
TickClock& SteadyClock();

// How a channel call failed.
enum class ChannelFailure {
  kNone,
  kUnreachable,  // no connection: the name did not resolve, or the host refused or never accepted
  kTimedOut,     // the platform says a timeout passed
  kOther,
};

// One request as the engine drives it, from the transferring thread, in this order: Open, Send,
// Head, then Available and Read until the body ends, then Finish. Every call may block: Send until
// the head has arrived, Available until a byte of the body is there or the body has ended, Read
// until its room is full or the body has ended (as a WinInet read does), each bounded only by the
// receive timeout of each wait for a byte. The channel closes what it opened when destroyed.
class TransferChannel {
 public:
  virtual ~TransferChannel() = default;

  // Opens the request with the connect and receive timeouts of `limits`; false when it cannot.
  virtual bool Open(const TransferLimits& limits) = 0;
  virtual ChannelFailure Send() = 0;
  virtual ResponseHead Head() = 0;
  // Whether the response may carry a body (not to HEAD).
  virtual bool ExpectsBody() const { return true; }
  // The bytes there to read (0 once the body has ended), or how waiting for them failed.
  struct Waiting {
    ChannelFailure failure = ChannelFailure::kNone;
    std::uint32_t bytes = 0;
  };
  virtual Waiting Available() = 0;
  // Reads into `room`; a failing read may still have brought bytes.
  struct ReadResult {
    ChannelFailure failure = ChannelFailure::kNone;
    std::uint32_t got = 0;
  };
  virtual ReadResult Read(std::span<std::uint8_t> room) = 0;
  // Runs after the body, or after a send that failed, while the request is still open (unless
  // the limits cut the transfer off).
  virtual void Finish() {}
};

// What the engine tells of a transfer besides its end.
struct TransferReport {
  TransferEnd end = TransferEnd::kNoResponse;
  ResponseHead head;    // status 0 when no response arrived
  bool opened = false;  // the request was opened (whether or not it could be sent)
  // The transfer ran to its end: the channel's Finish has run (if the request was opened) and the
  // caller may read what the channel kept. False when the deadline or the stall rule cut it off.
  bool finished = true;
};

// Runs one transfer of `channel` into `sink` within `limits`. A transfer with a deadline or a
// stall rule runs on a thread of its own while the caller watches `clock`, so that the limits hold
// even while a channel call blocks; the sink is never called once this returns. `watch_thread`
// false runs it on the caller's thread, the limits then judged whenever a channel call returns
// (what tests on a simulated clock do).
TransferReport RunTransfer(std::shared_ptr<TransferChannel> channel, const TransferLimits& limits,
                           BodySink& sink, TickClock& clock = SteadyClock(),
                           bool watch_thread = true);

}  // namespace lq
