// HttpRead: fetches a URL with a plain GET over the program's one shared internet session.
#pragma once

#include <string_view>

#include "runtime/commands/values.h"
#include "runtime/system/http_transfer.h"

namespace lq {

// The response body, whatever the status: an error page's body comes back like any other. Empty
// for an empty URL, a URL that does not parse, or a request that cannot be sent; a transfer that
// breaks off, or whose body stops for longer than the receive timeout of the default limits,
// returns the part that arrived. Safe to call from several threads at once. The URL is GBK; what
// follows a '#' is dropped.
ByteSet HttpRead(const Text& url);

// The URL without its fragment: everything before the first '#'. A '#' byte never occurs inside a
// GBK character (trail bytes start at 0x40), so the cut is safe on GBK texts.
inline std::string_view CutAtFragment(std::string_view url) { return url.substr(0, url.find('#')); }

// HttpRead that also tells the response status, for callers that must refuse error pages, within
// the given limits. The body is what arrived (up to one byte past a cap); `end` tells whether that
// is the whole of it. A body that cannot grow in memory ends kTooLarge.
// `conditions` add their request headers (a conditional or partial GET); `head` then tells what
// the answer was (a 304 has an empty body).
struct HttpReadResult {
  ByteSet body;
  int status = 0;  // the HTTP status code; 0 when no response arrived
  TransferEnd end = TransferEnd::kNoResponse;
  ResponseHead head;  // status 0 and nothing else when no response arrived
};
HttpReadResult HttpReadWithStatus(const Text& url,
                                  const TransferLimits& limits = kDefaultTransferLimits,
                                  const RequestConditions& conditions = {});

}  // namespace lq
