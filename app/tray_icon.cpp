// The tray icon's picture, drawn at compile time into an icon file: a dark blue disc in a gold
// ring with a gold tail at the lower right, transparent around it.
#include "app/tray_icon.h"

#include <array>

namespace lq {
namespace {

constexpr int kSide = 16;

struct Bgra {
  std::uint8_t b, g, r, a;
};
constexpr Bgra kClear = {0, 0, 0, 0};
constexpr Bgra kGold = {0x30, 0xb8, 0xe8, 0xff};
constexpr Bgra kNavy = {0x68, 0x3a, 0x1f, 0xff};
constexpr Bgra kWhite = {0xf4, 0xf4, 0xf4, 0xff};

// The pixel at column x, row y counted from the top.
constexpr Bgra PixelAt(int x, int y) {
  // Twice the offset from the centre (7.5, 7.5), so that the arithmetic stays in integers.
  const int dx = 2 * x + 1 - kSide;
  const int dy = 2 * y + 1 - kSide;
  const int d2 = dx * dx + dy * dy;
  if (x >= 10 && y >= 10 && (x - y == 0 || x - y == 1)) return kGold;  // the tail
  if (d2 > 15 * 15) return kClear;
  if (d2 > 11 * 11) return kGold;
  // A white "L" inside the disc.
  if ((x == 6 && y >= 4 && y <= 10) || (y == 10 && x >= 6 && x <= 9)) return kWhite;
  return kNavy;
}

constexpr void Put16(std::array<std::uint8_t, kTrayIconFileSize>& f, std::size_t at,
                     std::uint32_t v) {
  f[at] = static_cast<std::uint8_t>(v);
  f[at + 1] = static_cast<std::uint8_t>(v >> 8);
}
constexpr void Put32(std::array<std::uint8_t, kTrayIconFileSize>& f, std::size_t at,
                     std::uint32_t v) {
  Put16(f, at, v & 0xffff);
  Put16(f, at + 2, v >> 16);
}

constexpr std::array<std::uint8_t, kTrayIconFileSize> BuildIconFile() {
  std::array<std::uint8_t, kTrayIconFileSize> f{};
  // Icon file header: reserved, type 1 (icon), one image.
  Put16(f, 0, 0);
  Put16(f, 2, 1);
  Put16(f, 4, 1);
  // Directory entry: 16 x 16, no palette, 1 plane, 32 bits, size and offset of the image.
  f[6] = kSide;
  f[7] = kSide;
  f[8] = 0;
  f[9] = 0;
  Put16(f, 10, 1);
  Put16(f, 12, 32);
  Put32(f, 14, kTrayIconImageSize);
  Put32(f, 18, kTrayIconImageOffset);
  // BITMAPINFOHEADER: the height counts the colour rows and the mask rows.
  constexpr std::size_t h = kTrayIconImageOffset;
  Put32(f, h + 0, 40);
  Put32(f, h + 4, kSide);
  Put32(f, h + 8, 2 * kSide);
  Put16(f, h + 12, 1);
  Put16(f, h + 14, 32);
  Put32(f, h + 16, 0);  // BI_RGB
  Put32(f, h + 20, kSide * kSide * 4 + kSide * 4);
  // Colour rows bottom-up, BGRA.
  constexpr std::size_t colour = h + 40;
  for (int row = 0; row < kSide; ++row) {
    const int y = kSide - 1 - row;
    for (int x = 0; x < kSide; ++x) {
      const Bgra p = PixelAt(x, y);
      const auto at = colour + static_cast<std::size_t>((row * kSide + x) * 4);
      f[at] = p.b;
      f[at + 1] = p.g;
      f[at + 2] = p.r;
      f[at + 3] = p.a;
    }
  }
  // Mask rows bottom-up, 32 bits a row, a set bit for each transparent pixel.
  constexpr std::size_t mask = colour + kSide * kSide * 4;
  for (int row = 0; row < kSide; ++row) {
    const int y = kSide - 1 - row;
    for (int x = 0; x < kSide; ++x) {
      if (PixelAt(x, y).a != 0) continue;
      const auto at = mask + static_cast<std::size_t>(row * 4 + x / 8);
      f[at] = static_cast<std::uint8_t>(f[at] | (0x80 >> (x % 8)));
    }
  }
  return f;
}

constexpr std::array<std::uint8_t, kTrayIconFileSize> kIconFile = BuildIconFile();
static_assert(kTrayIconImageOffset + kTrayIconImageSize == kTrayIconFileSize);
static_assert(40 + kSide * kSide * 4 + kSide * 4 == kTrayIconImageSize);

}  // namespace

std::span<const std::uint8_t, kTrayIconFileSize> TrayIconBytes() { return kIconFile; }

ByteSet TrayIconByteSet() { return ByteSet(kIconFile.data(), kIconFile.size()); }

}  // namespace lq
