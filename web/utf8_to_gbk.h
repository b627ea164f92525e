// UTF-8 page text as the program's GBK text, and its two steps: a text in a code page to UTF-16
// units and back. They convert with the platform's conversion (runtime/platform/code_pages.h),
// on Windows through the program's declared MultiByteToWideChar and WideCharToMultiByte.
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"
#include "runtime/platform/code_pages.h"

namespace lq {

// The UTF-16 units (little-endian) of a text in the given code page, the terminating zero unit
// included: an empty text gives two zero bytes. An unknown code page gives the empty byte set.
ByteSet CodePageToWide(const Text& text, std::uint32_t code_page = platform::kUtf8CodePage);

// UTF-16 units (up to the first zero unit, or all of them; an odd last byte is ignored) as a text
// in the given code page. Characters that the code page lacks become "?".
Text WideToCodePage(const ByteSet& wide, std::uint32_t code_page = platform::kGbkCodePage);

// The characters of UTF-8 text as GBK text.
Text Utf8ToGbk(const Text& utf8);

}  // namespace lq
