// Text commands: lengths, pieces, case, spaces, replacement, splitting, joining, comparison.
// Positions and lengths count bytes; every result is a new value and out-of-range arguments give
// the empty text rather than an error.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string_view>

#include "runtime/commands/values.h"

namespace lq {

// Bytes before the terminating zero.
std::int32_t TextLength(const Text& text);

// The first / last min(n, length) bytes; n of 0 or less gives the empty text. A two-byte
// character may be cut.
Text LeftText(const Text& text, std::int32_t n);
Text RightText(const Text& text, std::int32_t n);

// Up to n bytes from byte `start`; a start outside 1..length or n of 0 or less gives empty.
Text MidText(const Text& text, std::int32_t start, std::int32_t n);

// The one-byte text of a byte code; code 0 gives the empty text.
Text CharText(std::uint8_t code);

// n spaces; n below 1 gives the empty text.
Text SpaceText(std::int32_t n);

// A copy with ASCII A to Z lowered; two-byte characters stay as they are.
Text ToLowerCase(const Text& text);

// Spaces are the byte 0x20 and the full-width space A1 A1; tabs and line breaks are not.
Text TrimSpaces(const Text& text);
Text RemoveAllSpaces(const Text& text);

// A copy with `length` bytes at byte `start` removed and `replacement` put in their place.
// start - 1 is held to 0..length of the text; the removed count to what is there.
Text ReplaceRange(const Text& text, std::int32_t start, std::int32_t length,
                  const Text& replacement = {});

// A copy with occurrences of `sought` replaced, scanning from byte `start` (default 1), at most
// `count` of them (default all; a negative count never runs out). Comparison folds ASCII
// letters unless `exact` is true. An empty text or sought text, a start beyond the text or a
// count of 0 give a copy of the text.
Text SubstituteText(const Text& text, const Text& sought, const Text& replacement = {},
                    std::optional<std::int32_t> start = {}, std::optional<std::int32_t> count = {},
                    bool exact = false);

// The pieces between separators (default ","; exact comparison), at most `max_parts` of them
// (default no limit; negative counts as 0). An empty piece is an empty element, but a trailing
// empty piece is not added: "a,,b" gives three elements, "a,b," two, the empty text none. An
// empty separator gives the whole text as the one element.
Array<Text> SplitText(const Text& text, std::optional<Text> separator = {},
                      std::optional<std::int32_t> max_parts = {});

// All the texts in order, in one new text.
template <class... Texts>
Text ConcatTexts(const Texts&... texts);

// -1, 0 or 1 by unsigned byte order. Text equality in the program is this comparison.
int CompareTexts(const Text& a, const Text& b);

namespace detail {
Text ConcatViews(std::initializer_list<std::string_view> parts);
inline std::string_view TextBytes(const Text& t) { return t.view(); }
inline std::string_view TextBytes(const char* s) {
  return s ? std::string_view(s) : std::string_view();
}
}  // namespace detail

template <class... Texts>
Text ConcatTexts(const Texts&... texts) {
  return detail::ConcatViews({detail::TextBytes(texts)...});
}

}  // namespace lq
