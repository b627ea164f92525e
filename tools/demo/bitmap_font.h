// A tiny 5 x 7 bitmap font for the digits 0 to 9, for drawing numbers into demo pictures.
#pragma once

#include <cstdint>

namespace lq::demo {

inline constexpr int kGlyphWidth = 5;
inline constexpr int kGlyphHeight = 7;

// Row bits of a digit's glyph, top row first; bit 4 is the leftmost column. Null for anything
// other than '0' to '9'.
const std::uint8_t* DigitGlyph(char digit);

}  // namespace lq::demo
