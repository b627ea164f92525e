#include "runtime/commands/text_search.h"

#include <cstddef>

#include "runtime/commands/text_scan.h"

namespace lq {
namespace {

// b = start - 1, raised to 0; computed wide so that any 32-bit start is safe.
std::size_t StartOffset(std::optional<std::int32_t> start, std::size_t if_left_out) {
  if (!start) return if_left_out;
  const std::int64_t b = std::int64_t{*start} - 1;
  return b < 0 ? 0 : static_cast<std::size_t>(b);
}

std::int32_t Position(std::size_t offset) { return static_cast<std::int32_t>(offset + 1); }

}  // namespace

std::int32_t FindText(const Text& text, const Text& sought, std::optional<std::int32_t> start,
                      bool case_insensitive) {
  const std::size_t length = text.view().size();
  const std::size_t b = StartOffset(start, 0);
  if (b >= length) return -1;
  if (sought.empty()) return 1;
  const detail::BoundarySearch search(text.view(), sought.view(), case_insensitive);
  const std::size_t found = search.Next(b, length);
  return found == detail::BoundarySearch::npos ? -1 : Position(found);
}

std::int32_t FindTextBackward(const Text& text, const Text& sought,
                              std::optional<std::int32_t> start, bool case_insensitive) {
  const std::size_t length = text.view().size();
  const std::size_t b = StartOffset(start, length);
  const std::size_t end = b < length ? b : length;
  if (end == 0) return -1;
  if (sought.empty()) return 1;
  const detail::BoundarySearch search(text.view(), sought.view(), case_insensitive);
  std::size_t last = detail::BoundarySearch::npos;
  for (std::size_t from = 0; from < end;) {
    const std::size_t found = search.Next(from, end);
    if (found == detail::BoundarySearch::npos) break;
    last = found;
    from = detail::NextBoundary(text.view(), found);
  }
  return last == detail::BoundarySearch::npos ? -1 : Position(last);
}

}  // namespace lq
