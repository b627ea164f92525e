// Windows' code page 936 as tables: GBK from the system's iconv, completed by what Windows maps
// beyond GBK (user-defined areas, best-fit replacements). Built once, on first use.
#pragma once

#include <cstdint>

namespace lq::cp936 {

// The code of one UTF-16 unit: below 0x100 one byte, else lead byte * 256 + trail byte; 0 when
// the unit has no mapping. Surrogates have none.
std::uint16_t EncodeUnit(char16_t unit);

// The unit of a two-byte code (lead 0x81..0xFE); 0 when the pair is not a character.
char16_t DecodePair(unsigned char lead, unsigned char trail);

// The unit of a one-byte character (0x00..0x80, 0xFF); 0 for a lead byte.
char16_t DecodeSingle(unsigned char byte);

inline bool IsLeadByte(unsigned char b) { return b >= 0x81 && b <= 0xFE; }

}  // namespace lq::cp936
