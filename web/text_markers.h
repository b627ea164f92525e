// Cutting a text between two markers.
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"

namespace lq {

// The text between the first start marker at or after byte `start` (0 or 1: the first byte) and
// the next end marker after it; empty when either marker is missing. In both markers "#" stands
// for a double quote, so a marker can hold a quotation mark. The flag folds ASCII letters.
Text TextBetween(const Text& text, const Text& start_marker, const Text& end_marker,
                 std::int32_t start = 0, bool case_insensitive = false);

// The text between the markers, searching from `position` (0 or 1: the first byte) with exact
// comparison and no "#" rule. The position moves past the end marker; when either marker is
// missing it becomes 0 and the result is empty.
Text TextBetweenFrom(const Text& text, const Text& start_marker, const Text& end_marker,
                     std::int32_t& position);

// Everything after the first ":", trimmed of spaces; empty without a ":".
Text AfterFirstColon(const Text& text);

}  // namespace lq
