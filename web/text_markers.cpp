#include "web/text_markers.h"

#include "runtime/commands/text_commands.h"
#include "runtime/commands/text_search.h"
#include "web/fast_text.h"

namespace lq {
namespace {

// "#" in a marker stands for a double quote.
Text WithQuotes(const Text& marker) { return SubstituteText(marker, "#", "\"", {}, {}, true); }

}  // namespace

Text TextBetween(const Text& text, const Text& start_marker, const Text& end_marker,
                 std::int32_t start, bool case_insensitive) {
  const Text opening = WithQuotes(start_marker);
  const Text closing = WithQuotes(end_marker);
  std::int32_t s = FindText(text, opening, start, case_insensitive);
  if (s == -1) return {};
  s += TextLength(opening);
  const std::int32_t e = FindText(text, closing, s, case_insensitive);
  if (e == -1) return {};
  return MidText(text, s, e - s);
}

Text TextBetweenFrom(const Text& text, const Text& start_marker, const Text& end_marker,
                     std::int32_t& position) {
  std::int32_t s = FindTextFast(text, start_marker, position, false);
  if (s == -1) {
    position = 0;
    return {};
  }
  s += TextLength(start_marker);
  const std::int32_t e = FindTextFast(text, end_marker, s, false);
  if (e == -1) {
    position = 0;
    return {};
  }
  position = e + TextLength(end_marker);
  return MidTextRaw(text, s, e - s);
}

Text AfterFirstColon(const Text& text) {
  const std::int32_t p = FindText(text, ":", {}, false);
  if (p == -1) return {};
  return TrimSpaces(RightText(text, TextLength(text) - p));
}

}  // namespace lq
