// Where a picture lands in a picture box, and how a picture with alpha meets the background.
#pragma once

#include <cstdint>
#include <span>

namespace lq::pictures {

// The picture box's display modes.
enum class DisplayMode : int {
  kTopLeft = 0,  // at (0, 0), the picture's own size
  kStretch = 1,  // the whole box, proportions not kept
  kCentred = 2,  // centred; shrunk to fit, proportions kept, when larger than the box
};

// Clamps a property value into 0 to 2.
DisplayMode DisplayModeFromValue(std::int32_t value);

struct DestinationRect {
  std::int32_t x = 0;
  std::int32_t y = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend bool operator==(const DestinationRect&, const DestinationRect&) = default;
};

// The rectangle a picture of picture_width x picture_height is drawn into in a box whose client
// area is box_width x box_height.
DestinationRect PictureDestination(DisplayMode mode, std::int32_t picture_width,
                                   std::int32_t picture_height, std::int32_t box_width,
                                   std::int32_t box_height);

// A colour as blue, green, red bytes.
struct Bgr {
  std::uint8_t blue = 0;
  std::uint8_t green = 0;
  std::uint8_t red = 0;
};

// One channel over the background: alpha 255 keeps the colour; otherwise
// trunc(alpha / 255 x colour + (1 - alpha / 255) x background), within 0 to 255.
std::uint8_t BlendChannel(std::uint8_t colour, std::uint8_t alpha, std::uint8_t background);

// Blends blue, green, red, alpha pixels over the background into `out` (same size); the alpha byte
// of the result is 255.
void BlendOverBackground(std::span<const std::uint8_t> bgra, Bgr background,
                         std::span<std::uint8_t> out);

}  // namespace lq::pictures
