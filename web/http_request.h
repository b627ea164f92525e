// HttpRequest: one HTTP/1.1 request through WinInet (Windows only), synchronous on the calling
// thread. Each call opens and closes its own session, connection and request.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/commands/values.h"
#include "runtime/system/http_transfer.h"

namespace lq {

// The request's arguments after the URL: each one a variable the request reads and, where marked,
// writes back. A caller that does not need one leaves it as it is made (empty, 0 or false).
struct HttpRequestArguments {
  std::int32_t method = 0;  // 0 GET, 1 POST, 2 HEAD; any other value GET
  Text body_text;           // request body used when the body bytes are empty
  // In and out: sent as the Cookie header; when supplied, WinInet keeps no cookies of its own
  // and the received cookies are merged into it (MergeCookies).
  std::optional<Text> cookies;
  Text received_cookies;  // out: the name=value pairs of the Set-Cookie lines, "; " between
  // In and out: request header lines separated by "\r\n"; the default headers the caller did not
  // give are appended to it (AppendDefaultHeaders).
  Text extra_headers;
  // Out: the raw response headers, "Set-Cookie" normalised; 5000 spaces when they do not fit in
  // 5000 bytes. Of a request that could not be sent, what the platform answers for none (spaces,
  // or an empty line).
  Text response_headers;
  bool no_redirect = false;  // true: a redirect is not followed; its own body is returned
  // In and out: the request body; for POST and HEAD filled from the body text when empty.
  ByteSet body_bytes;
  Text proxy;  // proxy server as host:port; empty for none
  // The transfer's timeouts, deadline and cap: a transfer cut off at its deadline, or past its
  // cap, returns empty and leaves every variable as it was.
  TransferLimits limits = kDefaultTransferLimits;
};

// Returns the response body, whatever the status. When no session, connection or request is
// obtained, the result is empty and none of the variables is touched; a request that cannot be
// sent (an unreachable server) still writes them back, with no response headers and no cookies
// received.
ByteSet HttpRequest(const Text& url, HttpRequestArguments& arguments);
// The URL alone, within `limits`.
ByteSet HttpRequest(const Text& url, const TransferLimits& limits = kDefaultTransferLimits);

}  // namespace lq
