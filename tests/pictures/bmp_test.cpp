// Uncompressed bitmaps: bit counts, colour tables, row padding, row order, refused variants.
#include <gtest/gtest.h>

#include "runtime/pictures/decoders.h"
#include "tests/pictures/fixtures.h"
#include "tests/pictures/picture_pixels.h"

namespace lq::pictures {
namespace {

using fixtures::BmpInput;
using fixtures::Bytes;
using fixtures::PixelAt;
using fixtures::Rgb;

// 2 x 2 pixels, 24 bits, rows from the bottom up.
const Bytes kTwoByTwo24 = {
    'B', 'M',                      // type
    70,  0,   0,   0,              // file size: 54 + 16
    0,   0,   0,   0,              // reserved
    54,  0,   0,   0,              // pixel data offset
    40,  0,   0,   0,              // info header size
    2,   0,   0,   0,              // width
    2,   0,   0,   0,              // height: positive, bottom row first
    1,   0,                        // planes
    24,  0,                        // bits per pixel
    0,   0,   0,   0,              // compression: none
    16,  0,   0,   0,              // image size
    0,   0,   0,   0,              // pixels per metre, x
    0,   0,   0,   0,              // pixels per metre, y
    0,   0,   0,   0,              // colours used
    0,   0,   0,   0,              // colours important
    0,   0,   255, 0,   255, 0,    // bottom row: red, green (blue, green, red each)
    0,   0,                        // padding to 4 bytes
    255, 0,   0,   255, 255, 255,  // top row: blue, white
    0,   0,                        // padding
};

TEST(Bmp, TwentyFourBitsBottomUp) {
  const auto picture = DecodeBmp(kTwoByTwo24);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->kind, PictureKind::kBmp);
  EXPECT_EQ(picture->layout, PixelLayout::kBgr24BottomUp);
  EXPECT_EQ(picture->width, 2);
  EXPECT_EQ(picture->height, 2);
  EXPECT_EQ(picture->stride, 8);
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{0, 0, 255}));
  EXPECT_EQ(PixelAt(*picture, 1, 0), (Rgb{255, 255, 255}));
  EXPECT_EQ(PixelAt(*picture, 0, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelAt(*picture, 1, 1), (Rgb{0, 255, 0}));
  // The stored rows are the file's: bottom row first, padded.
  EXPECT_EQ(fixtures::StoredBytes(*picture), Bytes(kTwoByTwo24.begin() + 54, kTwoByTwo24.end()));
}

TEST(Bmp, TopDownFilesAreTurnedTheRightWayUp) {
  Bytes top_down = kTwoByTwo24;
  top_down[22] = 0xfe, top_down[23] = 0xff, top_down[24] = 0xff, top_down[25] = 0xff;  // height -2
  const auto picture = DecodeBmp(top_down);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->height, 2);
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{255, 0, 0}));  // the file's first row is the top
  EXPECT_EQ(PixelAt(*picture, 1, 0), (Rgb{0, 255, 0}));
  EXPECT_EQ(PixelAt(*picture, 0, 1), (Rgb{0, 0, 255}));
}

TEST(Bmp, ThirtyTwoBitsIgnoreTheFourthByte) {
  BmpInput input{2, 1, 32};
  input.rows = {{1, 2, 3, 99, 4, 5, 6, 0}};
  const auto picture = DecodeBmp(fixtures::EncodeBmp(input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{3, 2, 1}));
  EXPECT_EQ(PixelAt(*picture, 1, 0), (Rgb{6, 5, 4}));
}

TEST(Bmp, PalettedPixelsMostSignificantBitsFirst) {
  BmpInput one{10, 1, 1};
  one.colour_table = {{0, 0, 0}, {255, 255, 255}};
  one.rows = {{0b10110000, 0b01000000}};
  auto picture = DecodeBmp(fixtures::EncodeBmp(one));
  ASSERT_TRUE(picture.has_value());
  const int want[] = {1, 0, 1, 1, 0, 0, 0, 0, 0, 1};
  for (int x = 0; x < 10; ++x) {
    EXPECT_EQ(PixelAt(*picture, x, 0).red, want[x] ? 255 : 0) << x;
  }

  BmpInput four{3, 1, 4};
  four.colour_table.resize(16);
  four.colour_table[2] = {20, 21, 22};
  four.colour_table[15] = {150, 151, 152};
  four.rows = {{0x2f, 0x20}};
  picture = DecodeBmp(fixtures::EncodeBmp(four));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{20, 21, 22}));
  EXPECT_EQ(PixelAt(*picture, 1, 0), (Rgb{150, 151, 152}));
  EXPECT_EQ(PixelAt(*picture, 2, 0), (Rgb{20, 21, 22}));

  BmpInput eight{5, 2, 8};
  eight.colour_table.resize(256);
  for (int i = 0; i < 256; ++i) {
    eight.colour_table[i] = {std::uint8_t(i), std::uint8_t(255 - i), std::uint8_t(i / 2)};
  }
  eight.rows = {{0, 1, 2, 3, 4}, {250, 251, 252, 253, 254}};
  picture = DecodeBmp(fixtures::EncodeBmp(eight));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 4, 1), (Rgb{4, 251, 2}));  // bottom row: the file's first
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{250, 5, 125}));
}

TEST(Bmp, IndicesPastTheColourTableAreBlack) {
  BmpInput input{4, 1, 8};
  input.colour_table = {{9, 9, 9}, {200, 100, 50}};
  input.colours_used = 2;  // the table's stated length
  input.rows = {{0, 1, 2, 255}};
  const auto picture = DecodeBmp(fixtures::EncodeBmp(input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{9, 9, 9}));
  EXPECT_EQ(PixelAt(*picture, 1, 0), (Rgb{200, 100, 50}));
  EXPECT_EQ(PixelAt(*picture, 2, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(PixelAt(*picture, 3, 0), (Rgb{0, 0, 0}));
}

TEST(Bmp, SixteenBitsAndCompressionGiveNoPicture) {
  BmpInput sixteen{2, 2, 16};
  sixteen.rows = {{1, 2, 3, 4}, {5, 6, 7, 8}};
  EXPECT_FALSE(DecodeBmp(fixtures::EncodeBmp(sixteen)).has_value());
  EXPECT_FALSE(DecodePicture(fixtures::EncodeBmp(sixteen)).has_value());

  BmpInput rle{2, 2, 8, 1};  // compression 1: RLE8
  rle.colour_table.resize(256);
  rle.rows = {{2, 7, 0, 1}};
  EXPECT_FALSE(DecodeBmp(fixtures::EncodeBmp(rle)).has_value());
  BmpInput rle4 = rle;
  rle4.bit_count = 4;
  rle4.compression = 2;
  EXPECT_FALSE(DecodeBmp(fixtures::EncodeBmp(rle4)).has_value());
  BmpInput fields{2, 2, 32, 3};  // bit fields
  fields.rows = {Bytes(8), Bytes(8)};
  EXPECT_FALSE(DecodeBmp(fixtures::EncodeBmp(fields)).has_value());
}

TEST(Bmp, PixelOffsetBeforeTheHeadersOrTheTableGivesNoPicture) {
  Bytes bmp = kTwoByTwo24;
  bmp[10] = 53;  // one byte before the end of the headers
  EXPECT_FALSE(DecodeBmp(bmp).has_value());
  BmpInput input{2, 1, 8};
  input.colour_table.resize(256);
  input.rows = {{0, 1}};
  bmp = fixtures::EncodeBmp(input);
  bmp[10] = 54, bmp[11] = 0;  // inside the colour table
  EXPECT_FALSE(DecodeBmp(bmp).has_value());
}

TEST(Bmp, PixelOffsetPastTheHeadersIsSkippedTo) {
  Bytes bmp(kTwoByTwo24.begin(), kTwoByTwo24.begin() + 54);
  bmp.insert(bmp.end(), {0xee, 0xee, 0xee, 0xee});  // a gap of 4 bytes
  bmp.insert(bmp.end(), kTwoByTwo24.begin() + 54, kTwoByTwo24.end());
  bmp[10] = 58;
  const auto picture = DecodeBmp(bmp);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 0, 1), (Rgb{255, 0, 0}));
}

TEST(Bmp, MissingPaddingOfTheLastRowIsAccepted) {
  const Bytes bmp(kTwoByTwo24.begin(), kTwoByTwo24.end() - 2);
  EXPECT_TRUE(DecodeBmp(bmp).has_value());
  const Bytes short_row(kTwoByTwo24.begin(), kTwoByTwo24.end() - 3);
  EXPECT_FALSE(DecodeBmp(short_row).has_value());
}

TEST(Bmp, HugeOrZeroDimensionsGiveNoPicture) {
  Bytes bmp = kTwoByTwo24;
  bmp[18] = 0x01, bmp[19] = 0x40;  // width 16385
  EXPECT_FALSE(DecodeBmp(bmp).has_value());
  bmp = kTwoByTwo24;
  bmp[18] = 0;  // width 0
  EXPECT_FALSE(DecodeBmp(bmp).has_value());
  bmp = kTwoByTwo24;
  bmp[22] = 0, bmp[23] = 0, bmp[24] = 0, bmp[25] = 0x80;  // height -2^31
  EXPECT_FALSE(DecodeBmp(bmp).has_value());
  bmp = kTwoByTwo24;
  bmp[18] = 0x00, bmp[19] = 0x20, bmp[22] = 0x00, bmp[23] = 0x20;  // 8192 x 8192: in range, no data
  EXPECT_FALSE(DecodeBmp(bmp).has_value());
}

TEST(Bmp, ColourTableThatDoesNotFitGivesNoPicture) {
  BmpInput input{1, 1, 8};
  input.colour_table = {{1, 1, 1}};
  input.colours_used = 0x40000000;  // 4 GiB of table
  input.rows = {{0}};
  EXPECT_FALSE(DecodeBmp(fixtures::EncodeBmp(input)).has_value());
}

}  // namespace
}  // namespace lq::pictures
