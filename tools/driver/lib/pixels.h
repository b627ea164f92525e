// Pixels of a window region, for picture checks.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace lq::driver {

struct Pixels {
  int width = 0;
  int height = 0;
  std::vector<std::uint32_t> rgb;  // 0xRRGGBB, rows top to bottom

  std::uint32_t At(int x, int y) const { return rgb[static_cast<std::size_t>(y) * width + x]; }
  // Number of distinct colours (a blank area has one).
  std::size_t DistinctColours() const;
};

// The client area of `window` as shown on the screen. Its top-level window is raised first (without
// activating it) so that no other window covers it; hidden windows give nothing.
std::optional<Pixels> CaptureClient(HWND window);

// Writes the pixels as a 24-bit BMP file.
bool SaveBmp(const Pixels& pixels, const std::wstring& path);

}  // namespace lq::driver
