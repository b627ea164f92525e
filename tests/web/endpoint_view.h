// What the local endpoint received, fetched with a WinInet client of the test's own (W functions,
// independent of the request routine under test).
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "tests/support/endpoint_client.h"

namespace lq::test {

struct ReceivedRequest {
  std::string request_line;        // "GET /x HTTP/1.1"
  std::vector<std::string> lines;  // the header lines as received, in order
  std::string body;

  // The lines whose name (before the ":") equals `name`, letter case ignored.
  std::vector<std::string> Headers(std::string_view name) const;
  // Position of the first line equal to `line`, or -1.
  int IndexOf(std::string_view line) const;
};

// The last request the endpoint recorded for `path` (or an absolute target).
std::optional<ReceivedRequest> LastRequest(const TestEndpoint& endpoint, std::string_view path);

// A plain GET of the endpoint's `path`: the body, nothing when the request fails.
std::optional<std::string> Fetch(const TestEndpoint& endpoint, std::string_view path);

}  // namespace lq::test
