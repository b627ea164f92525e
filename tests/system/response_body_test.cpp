// The body kept in memory as it arrives, the read sizes, and where HttpRead cuts a URL.
#include "runtime/system/response_body.h"

#include <gtest/gtest.h>

#include <cstring>
#include <numeric>

#include "runtime/system/http_read.h"

namespace lq {
namespace {

TEST(HttpReadRules, UrlIsCutAtTheFirstHash) {
  EXPECT_EQ(CutAtFragment("http://h/a#b#c"), "http://h/a");
  EXPECT_EQ(CutAtFragment("http://h/a?x=1"), "http://h/a?x=1");
  EXPECT_EQ(CutAtFragment("#top"), "");
  // A GBK character never hides a '#': the cut lands after the whole character.
  EXPECT_EQ(CutAtFragment("http://h/悍警#x"), "http://h/悍警");
}

TEST(HttpReadRules, ContentLengthParsing) {
  EXPECT_EQ(ParseContentLength("1234"), 1234);
  EXPECT_EQ(ParseContentLength("  77\t"), 77);
  EXPECT_EQ(ParseContentLength("-5"), -5);
  EXPECT_EQ(ParseContentLength("0"), 0);
  EXPECT_EQ(ParseContentLength(""), std::nullopt);
  EXPECT_EQ(ParseContentLength("12a"), std::nullopt);
  EXPECT_EQ(ParseContentLength("-"), std::nullopt);
  EXPECT_EQ(ParseContentLength("99999999999999999999"), std::nullopt);
  EXPECT_EQ(ParseContentLength("9223372036854775807"), INT64_MAX);
}

TEST(HttpReadRules, ChunkIsLengthPlusOneWithinLimits) {
  constexpr std::uint32_t kMiB = 1u << 20;
  const std::pair<std::optional<std::int64_t>, std::uint32_t> cases[] = {
      {std::nullopt, kMiB}, {0, kMiB},        {-7, kMiB},   {1, 2u},           {5000, 5001u},
      {kMiB - 2, kMiB - 1}, {kMiB - 1, kMiB}, {kMiB, kMiB}, {INT64_MAX, kMiB},
  };
  for (const auto& [length, chunk] : cases) EXPECT_EQ(HttpReadChunkSize(length), chunk);
}

// Feeds `total` bytes in reads of at most `step` and counts how often the storage moved.
struct FeedResult {
  ByteSet body;
  int moves = 0;
  std::size_t peakCapacity = 0;
};

FeedResult Feed(ResponseBody body, std::size_t total, std::uint32_t step) {
  FeedResult r;
  const std::uint8_t* last = nullptr;
  std::size_t sent = 0;
  while (true) {
    std::uint8_t* room = body.WritableData();
    if (room - body.size() != last && last != nullptr) ++r.moves;
    last = room - body.size();
    r.peakCapacity = std::max(r.peakCapacity, body.capacity());
    const std::uint32_t n = static_cast<std::uint32_t>(
        std::min<std::size_t>({step, body.WritableSize(), total - sent}));
    if (n == 0) break;  // the closing read that brings nothing
    for (std::uint32_t i = 0; i < n; ++i) room[i] = static_cast<std::uint8_t>((sent + i) * 31);
    body.Commit(n);
    sent += n;
  }
  r.body = body.Take();
  return r;
}

void ExpectSequence(const ByteSet& b, std::size_t total) {
  ASSERT_EQ(b.size(), total);
  for (std::size_t i = 0; i < total; ++i) {
    ASSERT_EQ(b.data()[i], static_cast<std::uint8_t>(i * 31)) << "at " << i;
  }
}

TEST(HttpReadRules, KnownLengthReservesABoundedStartAndGrowsToTheLength) {
  const std::uint32_t chunk = HttpReadChunkSize(3'000'000);
  // A small body is reserved whole and never moves.
  FeedResult small = Feed(ResponseBody(HttpReadChunkSize(500'000), 500'000), 500'000, 8192);
  EXPECT_EQ(small.moves, 0);
  ExpectSequence(small.body, 500'000);
  // A larger one reserves one mebibyte first and grows, ending at the length plus one chunk.
  constexpr std::size_t kTotal = 3'000'000;
  EXPECT_LE(ResponseBody(chunk, kTotal).capacity(), kHttpReadMaxUpFront + chunk);
  FeedResult r = Feed(ResponseBody(chunk, kTotal), kTotal, 8192);
  EXPECT_LE(r.moves, 1);
  EXPECT_LE(r.peakCapacity, kTotal + chunk);
  ExpectSequence(r.body, kTotal);
  // A claim of two gibibytes reserves no more than a small one.
  EXPECT_LE(ResponseBody(kHttpReadMaxChunk, 0x7fffffff).capacity(),
            kHttpReadMaxUpFront + kHttpReadMaxChunk);
}

TEST(HttpReadRules, UnknownLengthGrowsGeometrically) {
  constexpr std::size_t kTotal = 5'000'000;
  FeedResult r = Feed(ResponseBody(kHttpReadDefaultChunk, std::nullopt), kTotal, 10240);
  // Growing fourfold from one chunk to 5 MB moves the storage twice or so, never per read.
  EXPECT_LE(r.moves, 3);
  EXPECT_LE(r.peakCapacity, 4 * kTotal + 4 * kHttpReadDefaultChunk);
  ExpectSequence(r.body, kTotal);
}

TEST(HttpReadRules, WrongLengthStillGivesEveryByte) {
  // The header promised less (or more) than arrived: the bytes that came are the body.
  ExpectSequence(Feed(ResponseBody(HttpReadChunkSize(100), 100), 250'000, 4000).body, 250'000);
  ExpectSequence(Feed(ResponseBody(HttpReadChunkSize(900'000), 900'000), 1000, 4000).body, 1000);
}

TEST(HttpReadRules, EmptyAndUnreservableBodies) {
  EXPECT_TRUE(Feed(ResponseBody(kHttpReadDefaultChunk, std::nullopt), 0, 100).body.empty());
  // A length beyond what a byte set can hold is not reserved.
  ResponseBody huge(kHttpReadMaxChunk, INT64_MAX);
  EXPECT_LT(huge.capacity(), std::size_t{1} << 20);
  ExpectSequence(Feed(std::move(huge), 300'000, 65536).body, 300'000);
}

}  // namespace
}  // namespace lq
