// Byte-scanning variants of the text search and the range copy.
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"

namespace lq {

// FindText's position of `sought` in `text` at or after byte `start`, with two differences: an
// empty text or an empty sought text gives -1, and only bytes above 0x80 lead a two-byte
// character (a match begins on a character boundary counted that way). With the flag, ASCII
// letters of one-byte characters match in either case; two-byte characters match exactly.
std::int32_t FindTextFast(const Text& text, const Text& sought, std::int32_t start,
                          bool case_insensitive);

// Up to `count` bytes from byte `start`: a start below 1 or beyond the text, or a count below 1,
// gives the empty text; a count reaching past the end is cut to what remains.
Text MidTextRaw(const Text& text, std::int32_t start, std::int32_t count);

}  // namespace lq
