// Bitmaps: bit counts, colour tables, row padding, row order, bit fields, run lengths, refusals.
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

// Bit fields, run-length coding and what each refuses: two pixels of the bottom row (or the
// reason) for each file.
TEST(Bmp, BitFieldsAndRunLengths) {
  const Rgb red{255, 0, 0}, blue{0, 0, 255}, grey{66, 66, 66};
  // Masks after a 40-byte header lie where a colour table would: blue, green, red bytes of an
  // entry are a mask's low three bytes.
  auto masks = [](std::uint32_t r, std::uint32_t g, std::uint32_t b) {
    auto entry = [](std::uint32_t m) {
      return Rgb{static_cast<std::uint8_t>(m >> 16), static_cast<std::uint8_t>(m >> 8),
                 static_cast<std::uint8_t>(m)};
    };
    return std::vector<Rgb>{entry(r), entry(g), entry(b)};
  };
  std::vector<Rgb> palette(16, grey);
  palette[1] = red;
  palette[2] = blue;
  struct Case {
    const char* name;
    BmpInput input;
    DecodeFailure failure;
    Rgb first, second;
  };
  const Case cases[] = {
      {"16 bits, 5 of each", {2, 1, 16, 0, {}, 0, {{0x00, 0x7c, 0x1f, 0x00}}}, {}, red, blue},
      {"16 bits, masks 565",
       {2, 1, 16, 3, masks(0xf800, 0x07e0, 0x001f), 0, {{0x00, 0xf8, 0x1f, 0}}},
       {},
       red,
       blue},
      {"32 bits, masks in another order",
       {2, 1, 32, 3, masks(0xff, 0xff00, 0xff0000), 0, {{0xff, 0, 0, 0, 0, 0, 0xff, 0}}},
       {},
       red,
       blue},
      {"masks that are not contiguous",
       {1, 1, 16, 3, masks(0xf0f0, 0x000f, 0), 0, {{0, 0}}},
       DecodeFailure::kBadMasks},
      {"a mask wider than the pixel",
       {1, 1, 16, 3, masks(0x1f0000, 0x7e0, 0x1f), 0, {{0, 0}}},
       DecodeFailure::kBadMasks},
      {"RLE8: a run, a literal, a line end, a move, the end",
       {3, 2, 8, 1, palette, 16, {{2, 1, 0, 3, 2, 1, 2, 0, 0, 0, 0, 2, 1, 1, 0, 1}}},
       {},
       red,
       red},
      {"RLE4: alternating pairs", {4, 1, 4, 2, palette, 16, {{4, 0x12, 0, 1}}}, {}, red, blue},
      {"RLE4: a literal of three",
       {3, 1, 4, 2, palette, 16, {{0, 3, 0x21, 0x10, 0, 1}}},
       {},
       blue,
       red},
      {"RLE data that end early", {2, 1, 8, 1, palette, 16, {{0, 200}}}, DecodeFailure::kTruncated},
      {"RLE stored top row first",
       {2, -1, 8, 1, palette, 16, {{2, 1, 0, 1}}},
       DecodeFailure::kBadHeader},
      {"RLE8 of 4 bits",
       {2, 1, 4, 1, palette, 16, {{2, 1, 0, 1}}},
       DecodeFailure::kUnsupportedBitCount},
      {"bit fields of 24 bits",
       {1, 1, 24, 3, masks(0xff0000, 0xff00, 0xff), 0, {{0, 0, 0}}},
       DecodeFailure::kUnsupportedBitCount},
      {"JPEG inside", {1, 1, 24, 4, {}, 0, {{0, 0, 0}}}, DecodeFailure::kUnsupportedCompression},
      {"15 bits", {1, 1, 15, 0, {}, 0, {{0, 0}}}, DecodeFailure::kUnsupportedBitCount},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const auto picture = DecodeBmp(fixtures::EncodeBmp(c.input));
    EXPECT_EQ(picture.failure(), c.failure) << DecodeFailureName(picture.failure());
    if (c.failure == DecodeFailure::kNone && picture) {
      const int bottom = picture->height - 1;
      EXPECT_EQ(PixelAt(*picture, 0, bottom), c.first);
      EXPECT_EQ(PixelAt(*picture, 1, bottom), c.second);
    }
  }
  // The RLE8 case in full: the literal's pixels past the row's end are dropped, and the move
  // out of the picture ends it with the top row untouched (index 0).
  const auto picture = DecodeBmp(fixtures::EncodeBmp(cases[5].input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 2, 1), blue);
  for (int x = 0; x < 3; ++x) {
    EXPECT_EQ(PixelAt(*picture, x, 0), grey);
  }
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
