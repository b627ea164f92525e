// UTF-8 to UTF-16 and back, with the replacements Windows makes for malformed input, so that the
// portable build converts exactly as the system's code page 65001 does.
#pragma once

#include <string>
#include <string_view>

namespace lq::platform {

// The UTF-16 units of exactly these UTF-8 bytes. A malformed sequence becomes U+FFFD: a byte that
// cannot start a sequence on its own; a lead byte with the bytes it took before the sequence went
// wrong (a second byte that makes it overlong, a surrogate or beyond U+10FFFF is taken with it); a
// sequence that would reach past the end of the bytes is one U+FFFD and ends them, whatever it
// held. (A zero-terminated text converts with its terminator, which such a sequence takes along.)
std::u16string Utf16FromUtf8(std::string_view utf8);

// The UTF-8 bytes of UTF-16 units; a surrogate without its partner becomes U+FFFD.
std::string Utf8FromUtf16(std::u16string_view utf16);

}  // namespace lq::platform
