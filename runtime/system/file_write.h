// WriteBytesToFile: writes byte sets into a file, replacing its content.
#pragma once

#include <span>

#include "runtime/commands/values.h"

namespace lq {

// Creates the file or truncates it, opened for this call alone (no sharing), and writes the byte
// sets in order, skipping empty ones. False for an empty name, a file that cannot be opened (a
// missing directory is not created; a file in use elsewhere stays untouched) or a write error,
// after which what was written so far stays in the file. The name is GBK.
bool WriteBytesToFile(const Text& fileName, std::span<const ByteSet* const> byteSets);

template <class... More>
bool WriteBytesToFile(const Text& fileName, const ByteSet& first, const More&... more) {
  const ByteSet* sets[] = {&first, &static_cast<const ByteSet&>(more)...};
  return WriteBytesToFile(fileName, std::span<const ByteSet* const>(sets));
}

}  // namespace lq
