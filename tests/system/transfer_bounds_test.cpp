// The rules of a bounded transfer: deadline and stall verdicts, lengths against the cap, and the
// size of each read.
#include "runtime/system/transfer_bounds.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace lq {
namespace {

struct Arrival {
  std::uint64_t time;
  std::uint64_t total;
};

constexpr TransferLimits kStall{0, 0, 0, 0, 1000, 100};  // 100 bytes in every 1000 ms

TEST(TransferWatch, VerdictsOverTime) {
  struct Case {
    const char* name;
    TransferLimits limits;
    std::vector<Arrival> arrivals;  // the transfer starts at time 1000
    std::uint64_t at;
    std::optional<TransferEnd> verdict;
    std::optional<std::uint64_t> next_check;
  };
  const Case cases[] = {
      {"no bounds", {}, {{1500, 10}}, 1'000'000, std::nullopt, std::nullopt},
      {"before the deadline", {0, 0, 500, 0, 0, 0}, {}, 1499, std::nullopt, 1500},
      {"at the deadline",
       {0, 0, 500, 0, 0, 0},
       {{1200, 1 << 20}},
       1500,
       TransferEnd::kTimedOut,
       1500},
      {"nothing in the first window", kStall, {}, 2000, TransferEnd::kStalled, 2000},
      {"first window not over", kStall, {}, 1999, std::nullopt, 2000},
      {"too little in the first window", kStall, {{1100, 99}}, 2000, TransferEnd::kStalled, 2000},
      {"enough at once, then nothing", kStall, {{1100, 100}}, 2099, std::nullopt, 2100},
      {"enough at once, then a window without",
       kStall,
       {{1100, 100}},
       2100,
       TransferEnd::kStalled,
       2100},
      // Steady 60 bytes every 500 ms: any window holds 120.
      {"steady trickle above the minimum",
       kStall,
       {{1500, 60}, {2000, 120}, {2500, 180}, {3000, 240}},
       3400,
       std::nullopt,
       3500},
      // 40 bytes every 500 ms: a window holds 80 (the watch, asked only now, sees the last one).
      {"steady trickle below the minimum",
       kStall,
       {{1500, 40}, {2000, 80}, {2500, 120}, {3000, 160}},
       3000,
       TransferEnd::kStalled,
       3000},
      {"a burst then a slow trickle",
       kStall,
       {{1010, 5000}, {1600, 5050}, {2200, 5100}},
       2600,
       TransferEnd::kStalled,
       2600},
      {"stall rule and deadline, the deadline first",
       {0, 0, 1500, 0, 1000, 100},
       {{1100, 500}, {2000, 600}},
       2500,
       TransferEnd::kTimedOut,
       2500},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    TransferWatch watch(c.limits, 1000);
    for (const Arrival& a : c.arrivals) watch.Arrived(a.time, a.total);
    EXPECT_EQ(watch.Verdict(c.at), c.verdict);
    EXPECT_EQ(watch.NextCheck(), c.next_check);
  }
}

TEST(TransferLengths, AnnouncedAndReceivedAgainstTheCap) {
  const TransferLimits capped{0, 0, 0, 1000, 0, 0};
  const TransferLimits open{};
  struct Case {
    TransferLimits limits;
    std::optional<std::uint64_t> announced;
    std::uint64_t received;
    bool expects_body;
    TransferEnd announced_end;
    TransferEnd body_end;
  };
  const Case cases[] = {
      {capped, 1000, 1000, true, TransferEnd::kComplete, TransferEnd::kComplete},
      {capped, 1001, 0, true, TransferEnd::kTooLarge, TransferEnd::kBroken},
      {capped, std::nullopt, 1001, true, TransferEnd::kComplete, TransferEnd::kTooLarge},
      {open, 0xFFFFFFFFull, 10, true, TransferEnd::kComplete, TransferEnd::kBroken},
      {open, 500, 500, true, TransferEnd::kComplete, TransferEnd::kComplete},
      {open, std::nullopt, 0, true, TransferEnd::kComplete, TransferEnd::kComplete},
      // A HEAD's length tells of a body that does not come.
      {open, 500, 0, false, TransferEnd::kComplete, TransferEnd::kComplete},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(AnnouncedLengthEnd(c.limits, c.announced), c.announced_end);
    EXPECT_EQ(BodyEnd(c.limits, c.announced, c.received, c.expects_body), c.body_end);
  }
}

TEST(ReadPacer, AsksForWhatIsThereUntilTheRateIsKnown) {
  ReadPacer pacer(100'000);
  EXPECT_EQ(pacer.Next(0), 1u);
  EXPECT_EQ(pacer.Next(8192), 8192u);
  EXPECT_EQ(pacer.Next(500'000), 100'000u);
  // Reads that drain what was there take no time and teach nothing.
  pacer.Done(8192, 0);
  pacer.Done(8192, 0);
  EXPECT_EQ(pacer.Next(1808), 1808u);
  // 40 KB in 100 ms is 100 KB in a quarter second: whole chunks.
  pacer.Done(40'000, 100);
  EXPECT_EQ(pacer.Next(10), 100'000u);
  // A slow link: 20 bytes a second asks for what is there, or the 5 a quarter second brings.
  pacer.Done(20, 1000);
  EXPECT_EQ(pacer.Next(1), 5u);
  EXPECT_EQ(pacer.Next(300), 300u);
}

TEST(ReadPacer, NeverBetsMoreThanItsBetBeyondWhatIsThere) {
  EXPECT_EQ(ReadPacer::BetFor(kStall), 50u);
  EXPECT_EQ(ReadPacer::BetFor({0, 0, 0, 0, 1000, 1}), 1u);
  EXPECT_EQ(ReadPacer::BetFor({}), UINT32_MAX);
  // A burst: 4 MiB drained in 20 ms teaches a rate of whole chunks.
  ReadPacer pacer(1u << 20, 512);
  pacer.Done(4u << 20, 20);
  // What is there is read whole; beyond it, no more than the bet.
  EXPECT_EQ(pacer.Next(1u << 20), 1u << 20);
  EXPECT_EQ(pacer.Next(256), 768u);
  EXPECT_EQ(pacer.Next(0), 512u);
  // The trickle after it is measured anew: 512 bytes in 250 ms.
  pacer.Done(512, 250);
  EXPECT_EQ(pacer.Next(1), 512u);
  pacer.Done(256, 250);
  EXPECT_EQ(pacer.Next(1), 256u);
}

}  // namespace
}  // namespace lq
