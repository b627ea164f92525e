// The GBK byte rules, each written once.
//
// The runtime's texts: a byte of 0x80 or above starts a two-byte character, which is always
// stepped over whole; a lead byte that is the last byte of the text (directly before the
// terminating zero) ends the scan. Every character-aware command and the window layer's cuts
// follow it.
//
// Code page 936 itself pairs a lead byte of 0x81 to 0xFE with a trail byte of 0x40 to 0xFE other
// than 0x7F; any other byte stands alone. What Windows makes of a text follows it: the conversion,
// the file names given to the system, the characters of the version notice.
#pragma once

#include <cstddef>

namespace lq::gbk {

inline bool IsLeadByte(unsigned char b) { return b >= 0x80; }
// The byte-scanning search of the web routines counts only bytes above 0x80 as lead bytes; 0x80
// is a character of its own there.
inline bool IsFastScanLeadByte(unsigned char b) { return b > 0x80; }

// Code page 936's lead and trail bytes.
inline bool IsCodePageLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }
inline bool IsCodePageTrailByte(unsigned char b) { return b >= 0x40 && b <= 0xFE && b != 0x7F; }

// Bytes of the character starting at offset i of a text of `length` bytes (i < length): 2 for a
// lead byte, 1 for any other byte and for a lead byte that is the text's last byte.
inline std::size_t CharLength(const unsigned char* s, std::size_t i, std::size_t length) {
  return IsLeadByte(s[i]) && i + 1 < length ? 2 : 1;
}

// The full-width space of GBK, A1 A1; the other space is the byte 0x20.
inline constexpr unsigned char kFullWidthSpaceByte = 0xA1;

// Length of the space starting at offset i (0x20 or A1 A1), or 0 when none starts there.
inline std::size_t SpaceLength(const unsigned char* s, std::size_t i, std::size_t length) {
  if (s[i] == 0x20) return 1;
  if (s[i] == kFullWidthSpaceByte && i + 1 < length && s[i + 1] == kFullWidthSpaceByte) return 2;
  return 0;
}

inline unsigned char AsciiLower(unsigned char b) {
  return b >= 'A' && b <= 'Z' ? static_cast<unsigned char>(b + ('a' - 'A')) : b;
}
inline unsigned char AsciiUpper(unsigned char b) {
  return b >= 'a' && b <= 'z' ? static_cast<unsigned char>(b - ('a' - 'A')) : b;
}
inline bool IsAsciiLetter(unsigned char b) { return AsciiLower(b) != AsciiUpper(b); }

}  // namespace lq::gbk
