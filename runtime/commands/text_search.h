// Text search: 1-based positions, -1 when not found. Matches begin only on character boundaries
// of the scan; with the case-insensitive flag only ASCII letters fold.
#pragma once

#include <cstdint>
#include <optional>

#include "runtime/commands/values.h"

namespace lq {

// Position of the first occurrence of `sought` at or after byte `start` (default 1). A start
// beyond the text gives -1. An empty sought text gives 1 whenever the searched region is not
// empty, whatever the start.
std::int32_t FindText(const Text& text, const Text& sought, std::optional<std::int32_t> start,
                      bool case_insensitive);

// Position of the last occurrence lying wholly before byte `start` (default: the end of the
// text). The scan runs from the first byte; an empty sought text gives 1 when that region is
// not empty.
std::int32_t FindTextBackward(const Text& text, const Text& sought,
                              std::optional<std::int32_t> start, bool case_insensitive);

}  // namespace lq
