// JPEG through libjpeg: the drawn layout compared pixel by pixel with a plain libjpeg decode.
#include <gtest/gtest.h>

#include <cstdio>
// jpeglib.h needs FILE and size_t declared first.
#include <jpeglib.h>

#include "runtime/pictures/decoders.h"
#include "tests/pictures/fixtures.h"
#include "tests/pictures/picture_pixels.h"

namespace lq::pictures {
namespace {

using fixtures::Bytes;
using fixtures::PixelAt;
using fixtures::Rgb;

// The reference: libjpeg's own RGB output, top row first, 3 bytes a pixel.
struct Reference {
  int width = 0, height = 0;
  Bytes rgb;
};

Reference DecodeWithLibjpeg(const Bytes& data) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors;
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, data.data(), static_cast<unsigned long>(data.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_RGB;
  jpeg_start_decompress(&cinfo);
  Reference ref{static_cast<int>(cinfo.output_width), static_cast<int>(cinfo.output_height)};
  ref.rgb.resize(static_cast<std::size_t>(ref.width) * ref.height * 3);
  while (cinfo.output_scanline < cinfo.output_height) {
    JSAMPROW row = ref.rgb.data() + static_cast<std::size_t>(cinfo.output_scanline) * ref.width * 3;
    jpeg_read_scanlines(&cinfo, &row, 1);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
  return ref;
}

void ExpectSameAsLibjpeg(const Bytes& jpeg) {
  const auto picture = DecodeJpeg(jpeg);
  ASSERT_TRUE(picture.has_value());
  const Reference ref = DecodeWithLibjpeg(jpeg);
  ASSERT_EQ(picture->width, ref.width);
  ASSERT_EQ(picture->height, ref.height);
  EXPECT_EQ(picture->kind, PictureKind::kJpeg);
  EXPECT_EQ(picture->layout, PixelLayout::kBgr24BottomUp);
  EXPECT_EQ(picture->stride % 4, 0);
  EXPECT_EQ(picture->pixels.size(), static_cast<std::size_t>(picture->stride) * ref.height);
  int differing = 0;
  for (int y = 0; y < ref.height; ++y) {
    for (int x = 0; x < ref.width; ++x) {
      const std::uint8_t* r = ref.rgb.data() + (static_cast<std::size_t>(y) * ref.width + x) * 3;
      differing += PixelAt(*picture, x, y) != Rgb{r[0], r[1], r[2]};
    }
  }
  EXPECT_EQ(differing, 0);
}

TEST(Jpeg, ColourMatchesLibjpegPixelByPixel) {
  ExpectSameAsLibjpeg(fixtures::EncodeJpeg(61, 37));  // rows need padding: 183 bytes
  ExpectSameAsLibjpeg(fixtures::EncodeJpeg(64, 16, 3, 95));
  ExpectSameAsLibjpeg(fixtures::EncodeJpeg(33, 35, 3, 60, true));
}

TEST(Jpeg, GreyIsDrawnGreyAndMatchesLibjpeg) {
  const Bytes jpeg = fixtures::EncodeJpeg(19, 11, 1);
  ExpectSameAsLibjpeg(jpeg);
  const auto picture = DecodeJpeg(jpeg);
  ASSERT_TRUE(picture.has_value());
  for (int y = 0; y < picture->height; ++y) {
    for (int x = 0; x < picture->width; ++x) {
      const Rgb p = PixelAt(*picture, x, y);
      ASSERT_EQ(p.red, p.green);
      ASSERT_EQ(p.green, p.blue);
    }
  }
}

TEST(Jpeg, BottomRowComesFirst) {
  // A picture whose top half is white and bottom half black.
  const Bytes jpeg = fixtures::EncodeJpegRows(
      16, 16, 1, JCS_GRAYSCALE,
      [](int y, std::uint8_t* row) { std::fill(row, row + 16, y < 8 ? 255 : 0); });
  const auto picture = DecodeJpeg(jpeg);
  ASSERT_TRUE(picture.has_value());
  EXPECT_LT(picture->pixels[0], 16);  // first stored row: the bottom, black
  EXPECT_GT(picture->pixels[static_cast<std::size_t>(picture->stride) * 15], 240);  // top, white
}

TEST(Jpeg, CmykIsConvertedToColour) {
  // Inverted CMYK with no black ink: the decoded colours are the pattern's.
  const Bytes jpeg = fixtures::EncodeJpeg(16, 16, 4, 100);
  const auto picture = DecodeJpeg(jpeg);
  ASSERT_TRUE(picture.has_value());
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 16; ++x) {
      const Rgb want = fixtures::PatternPixel(x, y);
      const Rgb got = PixelAt(*picture, x, y);
      EXPECT_NEAR(got.red, want.red, 12) << x << "," << y;
      EXPECT_NEAR(got.green, want.green, 12) << x << "," << y;
      EXPECT_NEAR(got.blue, want.blue, 12) << x << "," << y;
    }
  }
}

TEST(Jpeg, TwoComponentsAreRefused) {
  // Two components make no colour space libjpeg can convert: the picture is refused.
  const Bytes jpeg = fixtures::EncodeJpegRows(
      8, 8, 2, JCS_UNKNOWN, [](int, std::uint8_t* row) { std::fill(row, row + 16, 100); });
  EXPECT_FALSE(DecodeJpeg(jpeg).has_value());
  EXPECT_FALSE(DecodePicture(jpeg).has_value());
}

TEST(Jpeg, LibraryErrorsGiveNoPicture) {
  Bytes jpeg = fixtures::EncodeJpeg(32, 32);
  // The start-of-frame marker's precision byte becomes 9: libjpeg refuses it.
  for (std::size_t i = 2; i + 4 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
      jpeg[i + 4] = 9;
      break;
    }
  }
  EXPECT_FALSE(DecodeJpeg(jpeg).has_value());
  EXPECT_FALSE(DecodeJpeg(Bytes{0xff, 0xd8, 0xff, 0xd9, 0, 0, 0, 0}).has_value());
  EXPECT_FALSE(DecodeJpeg(Bytes{}).has_value());
}

TEST(Jpeg, TruncatedDataGivesNoPicture) {
  const Bytes jpeg = fixtures::EncodeJpeg(40, 24);
  for (std::size_t cut : {jpeg.size() - 1, jpeg.size() - 2, jpeg.size() / 2, std::size_t{300}}) {
    const Bytes part(jpeg.begin(), jpeg.begin() + cut);
    EXPECT_FALSE(DecodeJpeg(part).has_value()) << cut;
  }
}

TEST(Jpeg, DimensionsBeyondTheLimitAreRefusedBeforeDecoding) {
  Bytes jpeg = fixtures::EncodeJpeg(16, 16);
  // Start of frame: marker, length (2), precision (1), height (2), width (2).
  for (std::size_t i = 2; i + 8 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xff && jpeg[i + 1] == 0xc0) {
      jpeg[i + 5] = 0x40;  // height 16384 + 16: too tall
      jpeg[i + 6] = 0x10;
      break;
    }
  }
  EXPECT_FALSE(DecodeJpeg(jpeg).has_value());
}

}  // namespace
}  // namespace lq::pictures
