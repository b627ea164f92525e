// Demo preview pictures: one 600 x 400 JPEG per catalogue record, a plain colour derived from the
// champion and the slot, with the champion's number (1 to 106, catalogue order) drawn large at the
// top and the slot number below it.
#pragma once

#include <cstdint>
#include <vector>

namespace lq::demo {

inline constexpr int kPreviewWidth = 600;
inline constexpr int kPreviewHeight = 400;

struct Rgb {
  std::uint8_t r, g, b;
};

// The background colour of a champion's (0-based index) slot (1 to 3).
Rgb PreviewColour(int champion_index, int slot);

// Packed RGB pixels, row by row from the top.
std::vector<std::uint8_t> DrawPreview(int champion_index, int slot);

// JPEG file bytes of packed RGB pixels; empty if the encoder fails.
std::vector<std::uint8_t> EncodeJpeg(const std::vector<std::uint8_t>& rgb, int width, int height,
                                     int quality);

}  // namespace lq::demo
