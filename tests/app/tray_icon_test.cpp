#include "app/tray_icon.h"

#include <gtest/gtest.h>

#include "runtime/pictures/decoders.h"

namespace lq {
namespace {

std::uint32_t Le(std::span<const std::uint8_t> b, std::size_t at, int bytes) {
  std::uint32_t v = 0;
  for (int i = bytes - 1; i >= 0; --i) v = (v << 8) | b[at + static_cast<std::size_t>(i)];
  return v;
}

TEST(TrayIcon, IsOneSixteenPixelThirtyTwoBitImageIn1150Bytes) {
  const auto f = TrayIconBytes();
  ASSERT_EQ(f.size(), 1150u);
  EXPECT_EQ(Le(f, 0, 2), 0u);   // reserved
  EXPECT_EQ(Le(f, 2, 2), 1u);   // icon
  EXPECT_EQ(Le(f, 4, 2), 1u);   // one image
  EXPECT_EQ(f[6], 16);          // width
  EXPECT_EQ(f[7], 16);          // height
  EXPECT_EQ(f[8], 0);           // no palette
  EXPECT_EQ(Le(f, 10, 2), 1u);  // planes
  EXPECT_EQ(Le(f, 12, 2), 32u);
  EXPECT_EQ(Le(f, 14, 4), 1128u);
  EXPECT_EQ(Le(f, 18, 4), 22u);
  EXPECT_EQ(Le(f, 22, 4), 40u);  // BITMAPINFOHEADER
  EXPECT_EQ(Le(f, 26, 4), 16u);
  EXPECT_EQ(Le(f, 30, 4), 32u);  // colour and mask rows
  EXPECT_EQ(Le(f, 36, 2), 32u);
  EXPECT_EQ(TrayIconByteSet().size(), 1150u);
}

TEST(TrayIcon, TheMaskMarksExactlyTheTransparentPixels) {
  const auto f = TrayIconBytes();
  int opaque = 0;
  for (int row = 0; row < 16; ++row) {
    for (int x = 0; x < 16; ++x) {
      const std::uint8_t alpha = f[62 + static_cast<std::size_t>((row * 16 + x) * 4) + 3];
      const bool masked =
          (f[62 + 1024 + static_cast<std::size_t>(row * 4 + x / 8)] >> (7 - x % 8)) & 1;
      EXPECT_EQ(masked, alpha == 0) << row << "," << x;
      opaque += alpha != 0;
    }
  }
  EXPECT_GT(opaque, 150);  // a disc, not an empty picture
  EXPECT_LT(opaque, 256);  // transparent corners
}

TEST(TrayIcon, TheRuntimesIconReaderChoosesItsImage) {
  const auto image = pictures::ChooseIconImage(TrayIconBytes(), 16);
  ASSERT_TRUE(image.has_value());
  EXPECT_FALSE(image->cursor);
  EXPECT_EQ(image->width, 16);
  EXPECT_EQ(image->height, 16);
  EXPECT_EQ(image->bit_count, 32);
  EXPECT_EQ(image->bytes.size(), 1128u);
}

}  // namespace
}  // namespace lq
