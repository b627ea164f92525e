#include "runtime/system/response_head.h"

#include "runtime/system/response_body.h"

namespace lq {
namespace {

// A run of decimal digits with no sign; nothing when empty or past 64 bits.
std::optional<std::uint64_t> Decimal(std::string_view digits) {
  if (digits.empty()) return std::nullopt;
  std::uint64_t n = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return std::nullopt;
    if (n > (UINT64_MAX - static_cast<unsigned>(c - '0')) / 10) return std::nullopt;
    n = n * 10 + static_cast<unsigned>(c - '0');
  }
  return n;
}

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
  return s;
}

}  // namespace

std::string ConditionHeaderLines(const RequestConditions& conditions) {
  std::string lines;
  if (!conditions.if_none_match.empty()) {
    lines += "If-None-Match: " + conditions.if_none_match + "\r\n";
  }
  if (!conditions.if_modified_since.empty()) {
    lines += "If-Modified-Since: " + conditions.if_modified_since + "\r\n";
  }
  if (conditions.range_from) {
    lines += "Range: bytes=" + std::to_string(*conditions.range_from) + "-\r\n";
    if (!conditions.if_range.empty()) lines += "If-Range: " + conditions.if_range + "\r\n";
  }
  return lines;
}

bool StatusCarriesBody(int status) {
  return status >= kHttpOk && status != 204 && status != kHttpNotModified;
}

std::optional<ContentRange> ParseContentRange(std::string_view value) {
  value = Trimmed(value);
  constexpr std::string_view kUnit = "bytes ";
  if (!value.starts_with(kUnit)) return std::nullopt;
  value = Trimmed(value.substr(kUnit.size()));
  const std::size_t dash = value.find('-');
  const std::size_t slash = value.find('/');
  if (dash == std::string_view::npos || slash == std::string_view::npos || slash < dash) {
    return std::nullopt;
  }
  const auto first = Decimal(value.substr(0, dash));
  const auto last = Decimal(value.substr(dash + 1, slash - dash - 1));
  if (!first || !last || *last < *first) return std::nullopt;
  ContentRange range{*first, std::nullopt};
  const std::string_view total = value.substr(slash + 1);
  if (total != "*") {
    range.total = Decimal(total);
    if (!range.total || *range.total <= *last) return std::nullopt;
  }
  return range;
}

ResponseHead MakeResponseHead(const HeadValues& values) {
  ResponseHead head;
  head.status = values.status;
  if (values.content_length) {
    const auto length = ParseContentLength(*values.content_length);
    if (length && *length >= 0) head.length = static_cast<std::uint64_t>(*length);
  }
  if (values.etag) head.etag = *values.etag;
  if (values.last_modified) head.last_modified = *values.last_modified;
  if (values.status == kHttpPartial && values.content_range) {
    if (const auto range = ParseContentRange(*values.content_range)) {
      head.range_first = range->first;
      head.range_total = range->total;
    }
  }
  return head;
}

}  // namespace lq
