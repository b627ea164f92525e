// Icon and cursor files: which image is taken, and what is read of it.
#include <gtest/gtest.h>

#include "runtime/pictures/decoders.h"
#include "tests/pictures/fixtures.h"

namespace lq::pictures {
namespace {

using fixtures::Bytes;
using fixtures::EncodeIconFile;

// Which entry was chosen: the fixtures fill each image with its own colour.
std::uint8_t ChosenRed(const IconImage& image) { return image.bytes[40 + 2]; }

TEST(IconFile, FirstEntryOfThePreferredSizeWithSixteenColoursOrMore) {
  const Bytes ico = EncodeIconFile({{16, 16, {1, 0, 0}},
                                    {32, 8, {2, 0, 0}},  // too few colours
                                    {32, 16, {3, 0, 0}},
                                    {32, 255, {4, 0, 0}},
                                    {48, 16, {5, 0, 0}}});
  auto image = ChooseIconImage(ico, 32);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(ChosenRed(*image), 3);
  EXPECT_EQ(image->width, 32);
  EXPECT_EQ(image->height, 32);  // half the header's 64
  EXPECT_EQ(image->bit_count, 32);
  EXPECT_FALSE(image->cursor);
  image = ChooseIconImage(ico, 16);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(ChosenRed(*image), 1);
  EXPECT_EQ(image->width, 16);
}

TEST(IconFile, NoQualifyingEntryTakesTheLast) {
  // All colour counts 0 (256 colours or true colour): the last entry whatever its size.
  const Bytes ico = EncodeIconFile({{16, 0, {1, 0, 0}}, {32, 0, {2, 0, 0}}, {48, 0, {3, 0, 0}}});
  for (int preferred : {16, 32}) {
    const auto image = ChooseIconImage(ico, preferred);
    ASSERT_TRUE(image.has_value());
    EXPECT_EQ(ChosenRed(*image), 3);
    EXPECT_EQ(image->width, 48);
  }
  const auto picture = DecodeIconFile(ico);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->kind, PictureKind::kIcon);
  EXPECT_EQ(picture->layout, PixelLayout::kIconResource);
  EXPECT_EQ(picture->width, 48);
  EXPECT_EQ(picture->height, 48);
}

TEST(IconFile, PictureBoxesPreferThirtyTwo) {
  const Bytes ico = EncodeIconFile({{16, 16, {1, 0, 0}}, {32, 16, {2, 0, 0}}});
  const auto picture = DecodePicture(ico);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->width, 32);
  EXPECT_EQ(ChosenRed(picture->icon), 2);
}

TEST(IconFile, CursorKeepsItsHotspot) {
  const Bytes cur = EncodeIconFile({{32, 0, {7, 0, 0}}}, true);
  const auto picture = DecodePicture(cur);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->kind, PictureKind::kCursor);
  EXPECT_TRUE(picture->icon.cursor);
  EXPECT_EQ(picture->icon.hotspot_x, 3);
  EXPECT_EQ(picture->icon.hotspot_y, 5);
}

TEST(IconFile, ImageBytesAreTheEntrysOwn) {
  const Bytes ico = EncodeIconFile({{16, 16, {1, 0, 0}}});
  const auto image = ChooseIconImage(ico, 16);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->bytes, Bytes(ico.begin() + 22, ico.end()));
}

TEST(IconFile, PngImagesTakeTheirSizeFromTheirHeader) {
  // One entry whose image is a PNG of 20 x 10.
  Bytes ico = {0,  0,           // reserved
               1,  0,           // type: icon
               1,  0,           // one image
               20, 10, 0,  0,   // width, height, colour count, reserved
               1,  0,  32, 0,   // planes, bits per pixel
               33, 0,  0,  0,   // bytes in resource
               22, 0,  0,  0};  // offset
  const Bytes png = {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a,  // signature
                     0,    0,   0,   13,  'I',  'H',  'D',  'R',   // chunk length, type
                     0,    0,   0,   20,  0,    0,    0,    10,    // width, height
                     8,    6,   0,   0,   0,                       // depth, colour type, ...
                     0,    0,   0,   0};                           // checksum (not checked)
  ico.insert(ico.end(), png.begin(), png.end());
  const auto image = ChooseIconImage(ico, 32);
  ASSERT_TRUE(image.has_value());
  EXPECT_EQ(image->width, 20);
  EXPECT_EQ(image->height, 10);
}

TEST(IconFile, BrokenDirectoriesGiveNothing) {
  const Bytes ico = EncodeIconFile({{16, 16, {1, 0, 0}}, {32, 16, {2, 0, 0}}});
  EXPECT_FALSE(ChooseIconImage(Bytes(ico.begin(), ico.begin() + 30), 32).has_value());
  Bytes bad = ico;
  bad[6 + 16 + 12] = 0xff;  // the second entry's offset far past the end
  bad[6 + 16 + 15] = 0x7f;
  EXPECT_FALSE(ChooseIconImage(bad, 32).has_value());
  bad = ico;
  bad[6 + 16 + 8] = 0xff;  // offset + size wrapping around 32 bits
  bad[6 + 16 + 9] = 0xff;
  bad[6 + 16 + 10] = 0xff;
  bad[6 + 16 + 11] = 0xff;
  EXPECT_FALSE(ChooseIconImage(bad, 32).has_value());
  bad = ico;
  bad[2] = 3;  // type 3
  EXPECT_FALSE(ChooseIconImage(bad, 32).has_value());
  EXPECT_FALSE(ChooseIconImage(Bytes(ico.begin(), ico.end() - 1), 32).has_value());
}

}  // namespace
}  // namespace lq::pictures
