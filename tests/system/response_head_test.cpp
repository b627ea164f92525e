// The request headers of a conditional or partial GET and what a response's head tells.
#include "runtime/system/response_head.h"

#include <gtest/gtest.h>

namespace lq {
namespace {

TEST(ResponseHead, ConditionsBecomeTheirHeaderLines) {
  EXPECT_EQ(ConditionHeaderLines({}), "");
  EXPECT_EQ(ConditionHeaderLines({"\"abc\"", "Tue, 01 Oct 2024 10:00:00 GMT", 1000, "\"abc\""}),
            "If-None-Match: \"abc\"\r\n"
            "If-Modified-Since: Tue, 01 Oct 2024 10:00:00 GMT\r\n"
            "Range: bytes=1000-\r\n"
            "If-Range: \"abc\"\r\n");
  EXPECT_EQ(ConditionHeaderLines({"", "", 0, ""}), "Range: bytes=0-\r\n");
  // If-Range means nothing without a range.
  EXPECT_EQ(ConditionHeaderLines({"", "", std::nullopt, "\"abc\""}), "");
}

TEST(ResponseHead, StatusesWithoutABody) {
  for (int status : {100, 101, 199, 204, 304}) EXPECT_FALSE(StatusCarriesBody(status)) << status;
  for (int status : {200, 206, 301, 404, 500}) EXPECT_TRUE(StatusCarriesBody(status)) << status;
}

TEST(ResponseHead, ContentRanges) {
  struct Case {
    const char* value;
    std::optional<std::uint64_t> first;  // nothing: not a usable range
    std::optional<std::uint64_t> total;
  };
  const Case cases[] = {
      {"bytes 0-99/100", 0, 100},
      {" bytes 1000-1999/5000 ", 1000, 5000},
      {"bytes 5-5/*", 5, std::nullopt},
      {"bytes 0-18446744073709551614/18446744073709551615", 0, 18446744073709551615ull},
      {"bytes 0-99/99", std::nullopt, std::nullopt},  // last byte past the total
      {"bytes 10-9/100", std::nullopt, std::nullopt},
      {"bytes */100", std::nullopt, std::nullopt},  // the form of a 416
      {"items 0-9/10", std::nullopt, std::nullopt},
      {"bytes -1-9/10", std::nullopt, std::nullopt},
      {"bytes 0-9/1x", std::nullopt, std::nullopt},
      {"bytes 0-18446744073709551616/*", std::nullopt, std::nullopt},
      {"", std::nullopt, std::nullopt},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    const auto range = ParseContentRange(c.value);
    ASSERT_EQ(range.has_value(), c.first.has_value());
    if (!range) continue;
    EXPECT_EQ(range->first, *c.first);
    EXPECT_EQ(range->total, c.total);
  }
}

TEST(ResponseHead, HeadFromHeaderValues) {
  const ResponseHead partial = MakeResponseHead(
      {206, "500", "W/\"v1\"", "Mon, 02 Sep 2024 08:00:00 GMT", "bytes 1000-1499/1500"});
  EXPECT_EQ(partial.status, 206);
  EXPECT_EQ(partial.length, 500u);
  EXPECT_EQ(partial.etag, "W/\"v1\"");
  EXPECT_EQ(partial.last_modified, "Mon, 02 Sep 2024 08:00:00 GMT");
  EXPECT_EQ(partial.range_first, 1000u);
  EXPECT_EQ(partial.range_total, 1500u);

  // A range outside a 206 is not one; a length that is no number, or negative, is none.
  const ResponseHead whole =
      MakeResponseHead({200, "-4", std::nullopt, std::nullopt, "bytes 0-9/10"});
  EXPECT_EQ(whole.length, std::nullopt);
  EXPECT_EQ(whole.etag, "");
  EXPECT_EQ(whole.range_first, std::nullopt);
  EXPECT_EQ(MakeResponseHead({304, "abc", {}, {}, {}}).length, std::nullopt);
}

}  // namespace
}  // namespace lq
