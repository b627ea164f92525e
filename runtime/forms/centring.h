// Where a window stands when it is centred on the screen.
#pragma once

#include <cstdint>

namespace lq {

struct Point {
  std::int32_t x = 0;
  std::int32_t y = 0;
  friend constexpr bool operator==(const Point&, const Point&) = default;
};

// Left and top that centre a window of the given outer size on a screen of the given size:
// ((screen width - width) / 2, (screen height - height) / 2), integer division.
constexpr Point CentredOrigin(std::int32_t screenWidth, std::int32_t screenHeight,
                              std::int32_t width, std::int32_t height) {
  return {(screenWidth - width) / 2, (screenHeight - height) / 2};
}

}  // namespace lq
