// Conversions between code pages and UTF-16, and of UTF-8 page text into the program's GBK.
//
// On Windows they call MultiByteToWideChar and WideCharToMultiByte through the program's declared
// functions; elsewhere they convert with the same results (code page 936 with Windows' mappings
// of the user-defined areas and its best-fit replacements, malformed UTF-8 replaced as Windows
// does).
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"

namespace lq {

inline constexpr std::uint32_t kUtf8CodePage = 65001;
inline constexpr std::uint32_t kGbkCodePage = 936;

// The UTF-16 units (little-endian) of a text in the given code page, the terminating zero unit
// included: an empty text gives two zero bytes. An unknown code page gives the empty byte set.
ByteSet CodePageToWide(const Text& text, std::uint32_t code_page = kUtf8CodePage);

// UTF-16 units (up to the first zero unit, or all of them; an odd last byte is ignored) as a text
// in the given code page. Characters that the code page lacks become "?".
Text WideToCodePage(const ByteSet& wide, std::uint32_t code_page = kGbkCodePage);

// The characters of UTF-8 text as GBK text.
Text Utf8ToGbk(const Text& utf8);

}  // namespace lq
