// The parts of a conditional or partial GET that need no network: the request headers of its
// conditions and what a response's head says about its body.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/system/http_transfer.h"

namespace lq {

// The request header lines of `conditions`, each ended by "\r\n"; empty when none is set.
// If-Range goes only with a range.
std::string ConditionHeaderLines(const RequestConditions& conditions);

// Whether a response of this status carries a body at all: not 1xx, 204 or 304.
bool StatusCarriesBody(int status);

// A Content-Range value "bytes FIRST-LAST/TOTAL" (TOTAL may be "*"): the first byte and the
// total. Nothing when the value is not of that form or its numbers do not fit together.
struct ContentRange {
  std::uint64_t first = 0;
  std::optional<std::uint64_t> total;
};
std::optional<ContentRange> ParseContentRange(std::string_view value);

// The head of a response from its status and its header values as sent (nothing for a header
// the response lacks). A length that is no number counts as none; the range is kept for a 206.
struct HeadValues {
  int status = 0;
  std::optional<std::string> content_length, etag, last_modified, content_range;
};
ResponseHead MakeResponseHead(const HeadValues& values);

}  // namespace lq
