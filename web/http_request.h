// HttpRequest: one HTTP/1.1 request through WinInet (Windows only), synchronous on the calling
// thread. Each call opens and closes its own session, connection and request.
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"
#include "runtime/system/http_transfer.h"

namespace lq {

// Arguments, in order (every one after the URL may be left out; a pointer left null stands for
// a fresh empty variable):
//   url              absolute URL; "http://" is assumed without a scheme
//   method           0 GET, 1 POST, 2 HEAD; any other value GET
//   body_text        request body used when the body bytes are empty
//   cookies          in and out: sent as the Cookie header; when supplied (not null), WinInet
//                    keeps no cookies of its own and the received cookies are merged into it
//                    (MergeCookies)
//   received_cookies out: the name=value pairs of the response's Set-Cookie lines, "; " between
//   extra_headers    in and out: request header lines separated by "\r\n"; the default headers
//                    the caller did not give are appended to it (AppendDefaultHeaders)
//   response_headers out: the raw response headers, "Set-Cookie" normalised; 5000 spaces when
//                    they do not fit in 5000 bytes
//   no_redirect      true: a redirect is not followed; its own body is returned
//   body_bytes       in and out: the request body; for POST and HEAD filled from the body text
//                    when empty
//   proxy            proxy server as host:port; empty for none
//   limits           the transfer's timeouts, deadline and cap; a transfer past them returns
//                    empty, like one that got no response
// Returns the response body, whatever the status. When no session, connection or request is
// obtained, or the request cannot be sent (unreachable server), the result is empty and none of
// the caller's variables is touched.
ByteSet HttpRequest(const Text& url, std::int32_t method = 0, const Text& body_text = {},
                    Text* cookies = nullptr, Text* received_cookies = nullptr,
                    Text* extra_headers = nullptr, Text* response_headers = nullptr,
                    bool no_redirect = false, ByteSet* body_bytes = nullptr,
                    const Text& proxy = {},
                    const TransferLimits& limits = kDefaultTransferLimits);

}  // namespace lq
