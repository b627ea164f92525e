// The one conversion between the program's texts and UTF-16: GBK (code page 936, always named, so
// a Windows of any language converts the same), UTF-8 and the other code pages.
//
// On Windows it is MultiByteToWideChar and WideCharToMultiByte: as linked, or where the lookups
// of a CodePageFunctions find them (the web routines reach them through the program's declared
// functions). Elsewhere it is iconv, completed where code page 936 of Windows maps more than GBK
// (its user-defined areas, its best-fit replacements), and a UTF-8 codec that replaces malformed
// input as Windows does; the lookups are not consulted there. The portable build therefore
// converts as the program does on Windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "runtime/platform/system_function.h"

namespace lq::platform {

inline constexpr std::uint32_t kAnsiCodePage = 0;  // the system's; 936 where the program runs
inline constexpr std::uint32_t kGbkCodePage = 936;
inline constexpr std::uint32_t kUtf8CodePage = 65001;

// Where a conversion finds the system's functions; without lookups, as linked.
struct CodePageFunctions {
  FunctionLookup multi_byte_to_wide_char = nullptr;
  FunctionLookup wide_char_to_multi_byte = nullptr;
};

// The UTF-16 units of exactly these bytes (zero bytes convert like any other). Bytes that are no
// character of the code page become "?" (GBK: a lead byte with a byte that cannot follow it is one
// "?" for both) or, in UTF-8, U+FFFD; a UTF-8 sequence cut off by the end of the bytes is one
// U+FFFD. nullopt when the code page is unknown (or, on Windows, the bytes are more than a 32-bit
// length).
std::optional<std::u16string> DecodeCodePage(std::string_view bytes, std::uint32_t code_page,
                                             const CodePageFunctions& functions = {});

// The bytes of these UTF-16 units in the code page; a unit that the code page lacks becomes "?"
// (or its best fit), in UTF-8 a surrogate without its partner becomes U+FFFD. nullopt when the
// code page is unknown.
std::optional<std::string> EncodeCodePage(std::u16string_view units, std::uint32_t code_page,
                                          const CodePageFunctions& functions = {});

// The portable UTF-8 codec, which converts exactly as the system's code page 65001 does.
//
// The UTF-16 units of exactly these UTF-8 bytes. A malformed sequence becomes U+FFFD: a byte that
// cannot start a sequence on its own; a lead byte with the bytes it took before the sequence went
// wrong (a second byte that makes it overlong, a surrogate or beyond U+10FFFF is taken with it); a
// sequence that would reach past the end of the bytes is one U+FFFD and ends them, whatever it
// held. (A zero-terminated text converts with its terminator, which such a sequence takes along.)
std::u16string Utf16FromUtf8(std::string_view utf8);
// The UTF-8 bytes of UTF-16 units; a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view utf16);

}  // namespace lq::platform

namespace lq {

// The program's texts at the Windows boundary (Windows only): every text that crosses into a W
// function is converted from GBK through code page 936, and every text that comes back is
// converted to GBK. Bytes that are no GBK character are replaced as the system converts them and
// the rest of the text still converts; characters outside GBK become '?'; embedded zeros are
// kept.
std::wstring GbkToWide(std::string_view gbk);
std::string WideToGbk(std::wstring_view wide);

}  // namespace lq
