// The one conversion between the program's texts and UTF-16: GBK (code page 936, always named, so
// a Windows of any language converts the same), UTF-8 and the other code pages.
//
// On Windows it is MultiByteToWideChar and WideCharToMultiByte (see win32/code_pages_win32.h);
// elsewhere iconv, completed where code page 936 of Windows maps more than GBK (its user-defined
// areas, its best-fit replacements), and a UTF-8 decoder that replaces malformed input as Windows
// does. The portable build therefore converts as the program does on Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace lq::platform {

inline constexpr std::uint32_t kAnsiCodePage = 0;  // the system's; 936 where the program runs
inline constexpr std::uint32_t kGbkCodePage = 936;
inline constexpr std::uint32_t kUtf8CodePage = 65001;

// The UTF-16 units of exactly these bytes (zero bytes convert like any other). Bytes that are no
// character of the code page become "?" (GBK: a lead byte with a byte that cannot follow it is one
// "?" for both) or, in UTF-8, U+FFFD; a UTF-8 sequence cut off by the end of the bytes is one
// U+FFFD. nullopt when the code page is unknown.
std::optional<std::u16string> DecodeCodePage(std::string_view bytes, std::uint32_t code_page);

// The bytes of these UTF-16 units in the code page; a unit that the code page lacks becomes "?"
// (or its best fit), in UTF-8 a surrogate without its partner becomes U+FFFD. nullopt when the
// code page is unknown.
std::optional<std::string> EncodeCodePage(std::u16string_view units, std::uint32_t code_page);

}  // namespace lq::platform
