// The transfer engine against scripted hosts on a simulated clock: every bound of a transfer
// (timeouts, deadline, stall rule, announced length, cap) and how each kind of misbehaving host
// ends, in microseconds; and, on a real thread, that a caller let go is never called back.
#include "runtime/system/transfer_engine.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <future>
#include <mutex>
#include <thread>

#include "tests/system/scripted_channel.h"

namespace lq {
namespace {

using test::FakeClock;
using test::Script;
using test::ScriptedChannel;

class RecordingSink final : public BodySink {
 public:
  explicit RecordingSink(std::size_t stop_after = SIZE_MAX, bool refuse_head = false)
      : stop_after_(stop_after), refuse_head_(refuse_head) {}
  bool Begin(const ResponseHead& head) override {
    head_ = head;
    return !refuse_head_;
  }
  bool Take(std::span<const std::uint8_t> bytes) override {
    bytes_.insert(bytes_.end(), bytes.begin(), bytes.end());
    ++takes_;
    return bytes_.size() < stop_after_;
  }
  // The bytes kept are the body's first ones, in order.
  bool Intact() const {
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
      if (bytes_[i] != test::ScriptByte(i)) return false;
    }
    return true;
  }

  std::size_t stop_after_;
  bool refuse_head_;
  ResponseHead head_;
  std::vector<std::uint8_t> bytes_;
  int takes_ = 0;
};

constexpr TransferLimits Limits(std::uint32_t receive, std::uint32_t deadline = 0,
                                std::uint64_t cap = 0, std::uint32_t stall_window = 0,
                                std::uint32_t stall_min = 0) {
  return {2'000, receive, deadline, cap, stall_window, stall_min};
}

Script Body(std::optional<std::uint64_t> length, std::uint64_t bytes, std::uint64_t over_ms = 0,
            std::uint64_t piece = 65536) {
  Script s;
  s.head.length = length;
  if (bytes != 0) s.Flow(0, bytes, over_ms, piece);
  return s;
}

Script With(Script s, Script::After after) {
  s.after = after;
  return s;
}

Script Silent() {
  Script s;
  s.head_at.reset();
  return s;
}

Script SendFails(ChannelFailure failure, std::uint64_t connect_ms = 0) {
  Script s;
  s.send_failure = failure;
  s.connect_ms = connect_ms;
  return s;
}

Script Head(int status, std::optional<std::uint64_t> length, std::uint64_t bytes,
            Script::After after = Script::After::kClose) {
  Script s = Body(length, bytes);
  s.head.status = status;
  s.after = after;
  return s;
}

// 4 MiB in 20 ms, then 64 KiB at 2 KiB a second in pieces of 256 bytes.
Script BurstThenTrickle() {
  Script s;
  s.head.length = (4u << 20) + (64u << 10);
  s.Flow(0, 4u << 20, 20, 64u << 10).Flow(20, 64u << 10, 32'000, 256);
  s.read_ms_per_mib = 1;
  return s;
}

TEST(TransferEngine, EveryBoundEndsTheTransferAsItSays) {
  constexpr std::uint32_t kMiB = 1u << 20;
  struct Case {
    const char* name;
    Script script;
    TransferLimits limits;
    TransferEnd end;
    std::optional<std::size_t> kept;  // nothing: any intact beginning
    std::size_t stop_after = SIZE_MAX;
  };
  const Case cases[] = {
      {"within every bound", Body(70000, 70000, 50, 8192),
       Limits(60'000, 30'000, kMiB, 2'000, 1024), TransferEnd::kComplete, 70000},
      {"3 MiB under a stall rule", Body(3 * kMiB, 3 * kMiB, 300), Limits(60'000, 0, 0, 2'000, 1024),
       TransferEnd::kComplete, 3 * kMiB},
      {"no length: the close ends the body", Body(std::nullopt, 300000, 100, 1000), Limits(15'000),
       TransferEnd::kComplete, 300000},
      {"a late head within the receive timeout",
       [] {
         Script s = Body(1000, 0);
         s.head_at = 1500;
         s.arrivals = {{1500, 1000}};
         return s;
       }(),
       Limits(15'000), TransferEnd::kComplete, 1000},
      // The host accepts and never answers.
      {"silent: deadline", Silent(), Limits(60'000, 800), TransferEnd::kTimedOut, 0},
      {"silent: receive timeout, the platform saying something else", Silent(), Limits(800),
       TransferEnd::kTimedOut, 0},
      {"silent: receive timeout, the platform saying so",
       [] {
         Script s = Silent();
         s.timeout_failure = ChannelFailure::kTimedOut;
         return s;
       }(),
       Limits(60'000), TransferEnd::kTimedOut, 0},
      {"silent: stall rule", Silent(), Limits(60'000, 0, 0, 800, 1024), TransferEnd::kStalled, 0},
      // One byte every 300 ms: each wait is answered, the whole is not.
      {"trickle: deadline", Body(100, 100, 30'000, 1), Limits(60'000, 1'200),
       TransferEnd::kTimedOut, std::nullopt},
      {"trickle: stall rule", Body(100, 100, 30'000, 1), Limits(60'000, 0, 0, 1'200, 1024),
       TransferEnd::kStalled, std::nullopt},
      {"trickle above the stall minimum", Body(2000, 2000, 20'000, 1),
       Limits(60'000, 0, 0, 1'200, 50), TransferEnd::kComplete, 2000},
      // Half of the announced body, then silence: the part that arrived is kept.
      {"half, then silence: receive timeout", With(Body(20000, 10000), Script::After::kSilence),
       Limits(800), TransferEnd::kTimedOut, 10000},
      {"half, then silence: stall rule", With(Body(20000, 10000), Script::After::kSilence),
       Limits(60'000, 0, 0, 800, 1024), TransferEnd::kStalled, 10000},
      {"half, then silence: deadline", With(Body(20000, 10000), Script::After::kSilence),
       Limits(60'000, 1'000), TransferEnd::kTimedOut, 10000},
      // The cap, announced or not.
      {"announced past the cap", Body(5000, 5000), Limits(60'000, 0, 4999), TransferEnd::kTooLarge,
       0},
      {"unannounced past the cap", Body(std::nullopt, 300000, 100, 8192),
       Limits(60'000, 0, 100'000), TransferEnd::kTooLarge, std::nullopt},
      {"exactly the cap", Body(5000, 5000), Limits(60'000, 0, 5000), TransferEnd::kComplete, 5000},
      {"a claimed length past the cap", Body(99'999'999, 1000), Limits(60'000, 0, kMiB),
       TransferEnd::kTooLarge, 0},
      // Lengths that claim more than comes.
      {"a length that lies", Body(2'147'483'647, 1000), Limits(60'000), TransferEnd::kBroken, 1000},
      {"dropped half way", Body(200000, 100000), Limits(60'000), TransferEnd::kBroken, 100000},
      {"dropped half way, watched", Body(200000, 100000), Limits(60'000, 5'000, 0, 2'000, 1024),
       TransferEnd::kBroken, 100000},
      {"reset half way", With(Body(200000, 100000), Script::After::kReset), Limits(60'000),
       TransferEnd::kBroken, 100000},
      // No connection, or none that answers.
      {"unreachable", SendFails(ChannelFailure::kUnreachable), Limits(60'000),
       TransferEnd::kUnreachable, 0},
      {"refused after the connect timeout", SendFails(ChannelFailure::kUnreachable, 10'000),
       Limits(60'000), TransferEnd::kUnreachable, 0},
      {"not sent for another reason", SendFails(ChannelFailure::kOther), Limits(60'000),
       TransferEnd::kNoResponse, 0},
      {"never accepted: deadline", SendFails(ChannelFailure::kUnreachable, 130'000),
       Limits(60'000, 800), TransferEnd::kTimedOut, 0},
      {"never accepted: stall rule", SendFails(ChannelFailure::kUnreachable, 130'000),
       Limits(60'000, 0, 0, 800, 1024), TransferEnd::kStalled, 0},
      // Answers without a body end at their head, whatever their length says; a part is judged
      // against its own length.
      {"304 with a length", Head(304, 500, 0, Script::After::kSilence), Limits(800),
       TransferEnd::kComplete, 0},
      {"204", Head(204, std::nullopt, 0, Script::After::kSilence), Limits(800),
       TransferEnd::kComplete, 0},
      {"206 whole", Head(206, 500, 500), Limits(60'000), TransferEnd::kComplete, 500},
      {"206 short", Head(206, 500, 400), Limits(60'000), TransferEnd::kBroken, 400},
      // The sink's word.
      {"the sink declines", Body(300000, 300000, 10), Limits(60'000), TransferEnd::kStopped,
       std::nullopt, 1},
      {"the sink declines, watched", Body(300000, 300000, 10), kPackageLimits,
       TransferEnd::kStopped, std::nullopt, 1},
      // A burst teaches a rate that the trickle after it does not keep: still flowing.
      {"burst, then trickle", BurstThenTrickle(), kPackageLimits, TransferEnd::kComplete,
       (4u << 20) + (64u << 10)},
      {"burst, then silence", With(Body(8 * kMiB, 4 * kMiB, 20), Script::After::kSilence),
       kPackageLimits, TransferEnd::kTimedOut, 4 * kMiB},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    FakeClock clock;
    RecordingSink sink(c.stop_after);
    const TransferReport report =
        RunTransfer(std::make_shared<ScriptedChannel>(c.script, clock), c.limits, sink, clock,
                    /*watch_thread=*/false);
    EXPECT_EQ(report.end, c.end);
    EXPECT_TRUE(sink.Intact());
    if (c.kept) {
      EXPECT_EQ(sink.bytes_.size(), *c.kept);
    }
    if (c.end == TransferEnd::kTooLarge) {
      EXPECT_LE(sink.bytes_.size(), c.limits.max_body + 1);
    }
    if (c.stop_after != SIZE_MAX) {
      EXPECT_EQ(sink.takes_, 1);
    }
    const bool cut = c.end == TransferEnd::kStalled ||
                     (c.end == TransferEnd::kTimedOut && c.limits.deadline_ms != 0);
    EXPECT_EQ(report.finished, !cut);
  }
}

TEST(TransferEngine, TheHeadReachesTheSink) {
  FakeClock clock;
  Script s = Head(206, 500, 500);
  s.head.etag = "\"v\"";
  s.head.range_first = 1000;
  s.head.range_total = 1500;
  RecordingSink sink;
  const TransferReport report =
      RunTransfer(std::make_shared<ScriptedChannel>(s, clock), Limits(60'000), sink, clock, false);
  EXPECT_EQ(report.head.status, 206);
  EXPECT_EQ(sink.head_.etag, "\"v\"");
  EXPECT_EQ(sink.head_.range_first, 1000u);
  EXPECT_EQ(sink.head_.range_total, 1500u);
  EXPECT_EQ(sink.head_.length, 500u);

  // A sink that refuses the head stops the transfer before the body.
  RecordingSink refusing(SIZE_MAX, true);
  EXPECT_EQ(RunTransfer(std::make_shared<ScriptedChannel>(s, clock), Limits(60'000), refusing,
                        clock, false)
                .end,
            TransferEnd::kStopped);
  EXPECT_TRUE(refusing.bytes_.empty());
}

// A host whose body waits until the test lets it come: the read blocks as long as a WinInet read
// on a silent connection.
class HeldChannel final : public TransferChannel {
 public:
  explicit HeldChannel(std::promise<void> gone) : gone_(std::move(gone)) {}
  ~HeldChannel() override { gone_.set_value(); }

  bool Open(const TransferLimits&) override { return true; }
  ChannelFailure Send() override { return ChannelFailure::kNone; }
  ResponseHead Head() override {
    ResponseHead head = test::OkHead();
    head.length = 1000;
    return head;
  }
  Waiting Available() override { return {ChannelFailure::kNone, 1}; }
  ReadResult Read(std::span<std::uint8_t> room) override {
    std::unique_lock lock(mutex_);
    ++reads_;
    changed_.notify_all();
    changed_.wait(lock, [&] { return released_; });
    return {ChannelFailure::kNone, static_cast<std::uint32_t>(room.size())};
  }

  void WaitForRead() {
    std::unique_lock lock(mutex_);
    changed_.wait(lock, [&] { return reads_ > 0; });
  }
  void Release() {
    std::lock_guard lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

 private:
  std::promise<void> gone_;
  std::mutex mutex_;
  std::condition_variable changed_;
  int reads_ = 0;
  bool released_ = false;
};

TEST(TransferEngine, ACallerLetGoIsNeverCalledBack) {
  std::promise<void> gone;
  std::future<void> channel_gone = gone.get_future();
  auto channel = std::make_shared<HeldChannel>(std::move(gone));
  std::weak_ptr<HeldChannel> held = channel;
  RecordingSink sink;
  // The read blocks until released; the deadline lets the caller go meanwhile.
  const TransferReport report = RunTransfer(std::move(channel), Limits(60'000, 20), sink);
  EXPECT_EQ(report.end, TransferEnd::kTimedOut);
  EXPECT_FALSE(report.finished);
  // The transfer's thread is inside the read or about to be: let its bytes come, and wait until
  // it has ended and dropped the channel.
  if (auto c = held.lock()) {
    c->WaitForRead();
    c->Release();
  }
  channel_gone.wait();
  EXPECT_TRUE(sink.bytes_.empty());
}

}  // namespace
}  // namespace lq
