#include "runtime/pictures/geometry.h"

#include <algorithm>

namespace lq::pictures {

DisplayMode DisplayModeFromValue(std::int32_t value) {
  return static_cast<DisplayMode>(std::clamp(value, 0, 2));
}

DestinationRect PictureDestination(DisplayMode mode, std::int32_t picture_width,
                                   std::int32_t picture_height, std::int32_t box_width,
                                   std::int32_t box_height) {
  const std::int32_t pw = picture_width, ph = picture_height, bw = box_width, bh = box_height;
  switch (mode) {
    case DisplayMode::kTopLeft:
      return {0, 0, pw, ph};
    case DisplayMode::kStretch:
      return {0, 0, bw, bh};
    case DisplayMode::kCentred:
      break;
  }
  DestinationRect rect{bw >= pw ? (bw - pw) / 2 : 0, bh >= ph ? (bh - ph) / 2 : 0, pw, ph};
  if ((pw > bw || ph > bh) && pw > 0 && ph > 0) {
    const double scale =
        std::min({1.0, static_cast<double>(bw) / pw, static_cast<double>(bh) / ph});
    rect.width = static_cast<std::int32_t>(pw * scale);
    rect.height = static_cast<std::int32_t>(ph * scale);
    rect.x += (std::min(bw, pw) - rect.width) / 2;
    rect.y += (std::min(bh, ph) - rect.height) / 2;
  }
  return rect;
}

std::uint8_t BlendChannel(std::uint8_t colour, std::uint8_t alpha, std::uint8_t background) {
  if (alpha == 255) {
    return colour;
  }
  if (alpha == 0) {
    return background;  // what the formula gives exactly: 0 x colour + 1 x background
  }
  // alpha / 255 x colour + (1 - alpha / 255) x background, truncated, in exact integers: in
  // floating point 17 / 255 x 90 comes out a hair under 6 and would truncate to 5.
  const unsigned value = (unsigned{alpha} * colour + (255u - alpha) * background) / 255u;
  return static_cast<std::uint8_t>(std::min(value, 255u));
}

void BlendOverBackground(std::span<const std::uint8_t> bgra, Bgr background,
                         std::span<std::uint8_t> out) {
  const std::size_t count = std::min(bgra.size(), out.size()) / 4;
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* p = bgra.data() + i * 4;
    std::uint8_t* q = out.data() + i * 4;
    const std::uint8_t alpha = p[3];
    q[0] = BlendChannel(p[0], alpha, background.blue);
    q[1] = BlendChannel(p[1], alpha, background.green);
    q[2] = BlendChannel(p[2], alpha, background.red);
    q[3] = 255;
  }
}

}  // namespace lq::pictures
