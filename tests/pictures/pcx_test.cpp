// PCX: header checks, run-length lines, 8-bit palettes and 1-bit pictures.
#include <gtest/gtest.h>

#include "runtime/pictures/decoders.h"
#include "tests/pictures/fixtures.h"
#include "tests/pictures/picture_pixels.h"

namespace lq::pictures {
namespace {

using fixtures::Bytes;
using fixtures::PcxInput;
using fixtures::PixelAt;
using fixtures::Rgb;

std::vector<Rgb> Ramp() {
  std::vector<Rgb> palette;
  for (int i = 0; i < 256; ++i) {
    palette.push_back({std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
  }
  return palette;
}

// 3 x 2 pixels, 8 bits, one plane, 4 bytes a line.
Bytes ThreeByTwo() {
  Bytes pcx = {
      0x0a,            // manufacturer
      5,               // version
      1,               // encoding: run-length
      8,               // bits per pixel
      0,    0, 0,  0,  // left, top
      2,    0, 1,  0,  // right, bottom: 3 x 2
      72,   0, 72, 0,  // dpi
  };
  pcx.insert(pcx.end(), 48, 0);               // EGA palette
  pcx.push_back(0);                           // reserved
  pcx.push_back(1);                           // planes
  pcx.insert(pcx.end(), {4, 0});              // bytes per line
  pcx.insert(pcx.end(), {1, 0, 0, 0, 0, 0});  // palette info, screen size
  pcx.insert(pcx.end(), 54, 0);               // filler
  pcx.insert(pcx.end(), {
                            0xc3, 7,          // a run of 3 bytes of 7
                            0,                // the line's fourth byte, not a pixel
                            1, 0xc1, 200, 2,  // 1, a run of one 200 (above 192 must be a run), 2
                            0,                // fourth byte
                        });
  pcx.push_back(12);               // palette marker
  for (int i = 0; i < 256; ++i) {  // red, green, blue
    pcx.insert(pcx.end(), {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)});
  }
  return pcx;
}

TEST(Pcx, EightBitsWithPalette) {
  const auto picture = DecodePcx(ThreeByTwo());
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->kind, PictureKind::kPcx8);
  EXPECT_EQ(picture->layout, PixelLayout::kIndexed8TopDown);
  EXPECT_EQ(picture->width, 3);
  EXPECT_EQ(picture->height, 2);
  EXPECT_EQ(picture->stride, 4);
  EXPECT_EQ(fixtures::StoredBytes(*picture),
            (Bytes{7, 7, 7, 0, 1, 200, 2, 0}));  // rows padded with zeros
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{7, 248, 3}));
  EXPECT_EQ(PixelAt(*picture, 1, 1), (Rgb{200, 55, 100}));
}

TEST(Pcx, WithoutTheMarkerThePaletteStaysBlack) {
  Bytes pcx = ThreeByTwo();
  pcx.resize(pcx.size() - 769);  // no marker, no palette
  auto picture = DecodePicture(pcx);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 1, 1), (Rgb{0, 0, 0}));
  pcx = ThreeByTwo();
  pcx[pcx.size() - 769] = 13;  // another byte in the marker's place
  picture = DecodePicture(pcx);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{0, 0, 0}));
}

TEST(Pcx, PaletteCutShortGivesNoPicture) {
  const Bytes pcx = ThreeByTwo();
  EXPECT_FALSE(DecodePcx(Bytes(pcx.begin(), pcx.end() - 1)).has_value());
  EXPECT_FALSE(DecodePcx(Bytes(pcx.begin(), pcx.end() - 768)).has_value());
}

TEST(Pcx, RunsMayCarryOnIntoTheNextLine) {
  PcxInput input{4, 3, 8};
  input.bytes_per_line = 4;
  input.palette = Ramp();
  Bytes pcx = fixtures::EncodePcx(input);      // header and palette only
  const Bytes runs = {0xc0 + 10, 9, 0xc2, 5};  // 10 nines, then two fives
  pcx.insert(pcx.begin() + 128, runs.begin(), runs.end());
  const auto picture = DecodePcx(pcx);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(fixtures::StoredBytes(*picture), (Bytes{9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 5, 5}));
}

TEST(Pcx, OneBitPicture) {
  PcxInput input{10, 2, 1, 1, 3};
  input.lines = {{0b11000001, 0b01000000}, {0b00111110, 0b10000000}};
  const auto picture = DecodePicture(fixtures::EncodePcx(input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->kind, PictureKind::kPcx1);
  EXPECT_EQ(picture->layout, PixelLayout::kMono1TopDown);
  EXPECT_EQ(picture->stride, 4);
  const Rgb white{255, 255, 255}, black{0, 0, 0};
  EXPECT_EQ(PixelAt(*picture, 0, 0), white);
  EXPECT_EQ(PixelAt(*picture, 2, 0), black);
  EXPECT_EQ(PixelAt(*picture, 7, 0), white);
  EXPECT_EQ(PixelAt(*picture, 9, 0), white);
  EXPECT_EQ(PixelAt(*picture, 8, 1), white);
  EXPECT_EQ(PixelAt(*picture, 9, 1), black);
}

TEST(Pcx, ThreePlanesAreTwentyFourBitColour) {
  PcxInput rgb{3, 2, 8};
  rgb.planes = 3;  // each line: the red bytes, then the green, then the blue; 4 a plane (even)
  rgb.lines = {{255, 0, 9, 0, 0, 255, 9, 0, 0, 0, 9, 0}, {1, 2, 3, 0, 4, 5, 6, 0, 7, 8, 200, 0}};
  const auto picture = DecodePicture(fixtures::EncodePcx(rgb));
  ASSERT_TRUE(picture.has_value()) << DecodeFailureName(picture.failure());
  EXPECT_EQ(picture->kind, PictureKind::kPcx8);
  EXPECT_EQ(picture->layout, PixelLayout::kBgr24BottomUp);
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelAt(*picture, 1, 0), (Rgb{0, 255, 0}));
  EXPECT_EQ(PixelAt(*picture, 2, 0), (Rgb{9, 9, 9}));
  EXPECT_EQ(PixelAt(*picture, 2, 1), (Rgb{3, 6, 200}));
  // A line cut short in its last plane is as truncated as any.
  Bytes cut = fixtures::EncodePcx(rgb);
  cut.resize(cut.size() - 3);
  EXPECT_EQ(DecodePcx(cut).failure(), DecodeFailure::kTruncated);
}

TEST(Pcx, MorePlanesOrOtherBitCountsAreRefused) {
  PcxInput two{2, 1, 8};
  two.planes = 2;
  two.lines = {{1, 2, 3, 4}};
  EXPECT_EQ(DecodePcx(fixtures::EncodePcx(two)).failure(), DecodeFailure::kUnsupportedPlanes);
  PcxInput ega{8, 1, 1, 4, 3};
  ega.lines = {{1}, {2}, {3}, {4}};
  EXPECT_FALSE(DecodePcx(fixtures::EncodePcx(ega)).has_value());
  PcxInput four{2, 1, 4};
  four.lines = {{0x12}};
  EXPECT_FALSE(DecodePcx(fixtures::EncodePcx(four)).has_value());
}

TEST(Pcx, HeaderChecks) {
  const Bytes good = ThreeByTwo();
  Bytes bad = good;
  bad[8] = 0, bad[4] = 1;  // right before left
  EXPECT_FALSE(DecodePcx(bad).has_value());
  bad = good;
  bad[10] = 0, bad[6] = 1;  // bottom before top
  EXPECT_FALSE(DecodePcx(bad).has_value());
  bad = good;
  bad[2] = 0;  // not run-length coded
  EXPECT_FALSE(DecodePcx(bad).has_value());
  bad = good;
  bad[1] = 6;  // version
  EXPECT_FALSE(DecodePcx(bad).has_value());
  bad = good;
  bad[66] = 2;  // bytes per line shorter than the width
  EXPECT_FALSE(DecodePcx(bad).has_value());
  EXPECT_FALSE(DecodePcx(Bytes(good.begin(), good.begin() + 128)).has_value());
  bad = good;
  bad[8] = 0xff, bad[9] = 0x7f, bad[10] = 0xff, bad[11] = 0x7f;  // 32768 x 32768
  EXPECT_FALSE(DecodePcx(bad).has_value());
}

TEST(Pcx, LinesCutShortGiveNoPicture) {
  const Bytes pcx = ThreeByTwo();
  for (std::size_t end = 129; end < 136; ++end) {
    EXPECT_FALSE(DecodePcx(Bytes(pcx.begin(), pcx.begin() + end)).has_value()) << end;
  }
  // A run that needs its value byte as the data's last.
  Bytes run(pcx.begin(), pcx.begin() + 128);
  run.push_back(0xc8);
  EXPECT_FALSE(DecodePcx(run).has_value());
}

}  // namespace
}  // namespace lq::pictures
