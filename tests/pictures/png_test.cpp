// PNG through libpng's simplified reader, compared with a decode by libpng's full interface; and
// how pixels with alpha meet the background.
#include <gtest/gtest.h>
#include <png.h>
#include <zlib.h>

#include <cmath>
#include <cstring>

#include "runtime/pictures/decoders.h"
#include "runtime/pictures/geometry.h"
#include "tests/pictures/fixtures.h"
#include "tests/pictures/picture_pixels.h"

namespace lq::pictures {
namespace {

using fixtures::Bytes;
using fixtures::PngInput;

struct Source {
  const Bytes* data;
  std::size_t pos;
};

void ReadFromSource(png_structp png, png_bytep out, png_size_t size) {
  auto* source = static_cast<Source*>(png_get_io_ptr(png));
  if (source->pos + size > source->data->size()) {
    png_error(png, "past the end");
  }
  std::memcpy(out, source->data->data() + source->pos, size);
  source->pos += size;
}

// Blue, green, red, alpha, top row first, through png_read_image with explicit transformations.
Bytes DecodeWithLibpng(const Bytes& data, int& width, int& height) {
  png_structp png = png_create_read_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  Source source{&data, 0};
  Bytes out;
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_read_struct(&png, &info, nullptr);
    return {};
  }
  png_set_read_fn(png, &source, ReadFromSource);
  png_read_info(png, info);
  png_set_expand(png);
  png_set_strip_16(png);
  png_set_gray_to_rgb(png);
  png_set_bgr(png);
  png_set_filler(png, 0xff, PNG_FILLER_AFTER);
  png_set_interlace_handling(png);
  png_read_update_info(png, info);
  width = static_cast<int>(png_get_image_width(png, info));
  height = static_cast<int>(png_get_image_height(png, info));
  out.resize(static_cast<std::size_t>(width) * height * 4);
  std::vector<png_bytep> rows(height);
  for (int y = 0; y < height; ++y) {
    rows[y] = out.data() + static_cast<std::size_t>(y) * width * 4;
  }
  png_read_image(png, rows.data());
  png_read_end(png, nullptr);
  png_destroy_read_struct(&png, &info, nullptr);
  return out;
}

void ExpectSameAsLibpng(const PngInput& input) {
  const Bytes png = fixtures::EncodePng(input);
  const auto picture = DecodePng(png);
  ASSERT_TRUE(picture.has_value());
  int width = 0, height = 0;
  const Bytes reference = DecodeWithLibpng(png, width, height);
  ASSERT_EQ(picture->width, width);
  ASSERT_EQ(picture->height, height);
  EXPECT_EQ(picture->kind, PictureKind::kPng);
  EXPECT_EQ(picture->layout, PixelLayout::kBgra32TopDown);
  EXPECT_EQ(picture->stride, width * 4);
  EXPECT_EQ(fixtures::StoredBytes(*picture), reference);
}

PngInput Samples(int width, int height, int colour_type, int channels) {
  PngInput input{width, height, colour_type};
  for (int i = 0; i < width * height * channels; ++i) {
    input.samples.push_back(static_cast<std::uint8_t>((i * 37 + i / 7) & 0xff));
  }
  return input;
}

TEST(Png, MatchesLibpngPixelByPixel) {
  ExpectSameAsLibpng(Samples(13, 7, PNG_COLOR_TYPE_RGB, 3));
  ExpectSameAsLibpng(Samples(13, 7, PNG_COLOR_TYPE_RGB_ALPHA, 4));
  ExpectSameAsLibpng(Samples(9, 9, PNG_COLOR_TYPE_GRAY, 1));
  ExpectSameAsLibpng(Samples(9, 9, PNG_COLOR_TYPE_GRAY_ALPHA, 2));
  PngInput interlaced = Samples(21, 17, PNG_COLOR_TYPE_RGB_ALPHA, 4);
  interlaced.interlaced = true;
  ExpectSameAsLibpng(interlaced);
  PngInput indexed = Samples(11, 5, PNG_COLOR_TYPE_PALETTE, 1);
  for (auto& s : indexed.samples) {
    s %= 4;
  }
  indexed.palette = {{1, 2, 3}, {250, 128, 0}, {0, 90, 200}, {77, 77, 77}};
  indexed.transparency = {0, 128, 255};
  ExpectSameAsLibpng(indexed);
}

TEST(Png, AlphaZeroTakesTheBackgroundAndAlpha255KeepsTheColour) {
  PngInput input{3, 1, PNG_COLOR_TYPE_RGB_ALPHA};
  input.samples = {200, 100, 50, 0,     // red, green, blue, alpha: fully transparent
                   200, 100, 50, 255,   // opaque
                   200, 100, 50, 128};  // half
  const auto picture = DecodePng(fixtures::EncodePng(input));
  ASSERT_TRUE(picture.has_value());
  const Bgr background{10, 20, 30};
  Bytes drawn(picture->pixels.size());
  BlendOverBackground(picture->pixels, background, drawn);
  EXPECT_EQ(drawn[0], 10);  // blue, green, red of the background
  EXPECT_EQ(drawn[1], 20);
  EXPECT_EQ(drawn[2], 30);
  EXPECT_EQ(drawn[4], 50);  // blue, green, red of the pixel
  EXPECT_EQ(drawn[5], 100);
  EXPECT_EQ(drawn[6], 200);
  // trunc(128/255 x 50 + 127/255 x 10) = trunc(30.07) and so on.
  EXPECT_EQ(drawn[8], 30);
  EXPECT_EQ(drawn[9], 60);
  EXPECT_EQ(drawn[10], 115);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(drawn[i * 4 + 3], 255);
  }
}

// The formula's exact value, truncated: alpha x colour + (255 - alpha) x background over 255 in
// whole numbers (in floating point, 0 under alpha 238 over 90 is 5.999... and truncates to 5).
TEST(Png, BlendFollowsTheFormulaForEveryAlpha) {
  EXPECT_EQ(BlendChannel(0, 238, 90), 6);
  for (int alpha = 0; alpha < 256; ++alpha) {
    for (int colour : {0, 1, 127, 254, 255}) {
      for (int background : {0, 3, 90, 128, 255}) {
        const int want = (alpha * colour + (255 - alpha) * background) / 255;
        ASSERT_EQ(BlendChannel(static_cast<std::uint8_t>(colour), static_cast<std::uint8_t>(alpha),
                               static_cast<std::uint8_t>(background)),
                  want)
            << alpha << " " << colour << " " << background;
      }
    }
  }
  for (int value = 0; value < 256; ++value) {
    const auto v = static_cast<std::uint8_t>(value);
    EXPECT_EQ(BlendChannel(v, 0, 77), 77);
    EXPECT_EQ(BlendChannel(v, 255, 77), v);
  }
}

TEST(Png, BrokenDataGivesNoPicture) {
  Bytes png = fixtures::EncodePng(Samples(8, 8, PNG_COLOR_TYPE_RGB, 3));
  // Without the end chunk the image data are complete; cut into them, they are not.
  EXPECT_TRUE(DecodePng(Bytes(png.begin(), png.end() - 12)).has_value());
  EXPECT_FALSE(DecodePng(Bytes(png.begin(), png.end() - 13)).has_value());
  EXPECT_FALSE(DecodePng(Bytes(png.begin(), png.begin() + png.size() / 2)).has_value());
  Bytes corrupt = png;
  corrupt[40] ^= 0xff;  // inside the image data: its checksum no longer matches
  EXPECT_FALSE(DecodePng(corrupt).has_value());
  EXPECT_FALSE(DecodePng(Bytes{}).has_value());
}

TEST(Png, DimensionsBeyondTheLimitAreRefused) {
  Bytes png = fixtures::EncodePng(Samples(8, 8, PNG_COLOR_TYPE_RGB, 3));
  // IHDR: signature (8), length (4), "IHDR" (4), width (4, big-endian), height (4), ..., CRC.
  png[16] = 0, png[17] = 0, png[18] = 0x40, png[19] = 0x01;  // width 16385
  const std::uint32_t crc = static_cast<std::uint32_t>(crc32(0, png.data() + 12, 17));
  png[29] = crc >> 24, png[30] = (crc >> 16) & 0xff, png[31] = (crc >> 8) & 0xff,
  png[32] = crc & 0xff;
  EXPECT_FALSE(DecodePng(png).has_value());
}

}  // namespace
}  // namespace lq::pictures

namespace lq::pictures {
namespace {

// Interlaced 16-bit pictures came out scrambled from the library's interlaced 16-to-8-bit path:
// each must show as its non-interlaced twin does, for every colour type with 16-bit samples.
TEST(Png, InterlacedSixteenBitShowsAsItsNonInterlacedTwin) {
  for (const int colour_type : {PNG_COLOR_TYPE_GRAY, PNG_COLOR_TYPE_GRAY_ALPHA, PNG_COLOR_TYPE_RGB,
                                PNG_COLOR_TYPE_RGB_ALPHA}) {
    SCOPED_TRACE(colour_type);
    const int channels = colour_type == PNG_COLOR_TYPE_GRAY         ? 1
                         : colour_type == PNG_COLOR_TYPE_GRAY_ALPHA ? 2
                         : colour_type == PNG_COLOR_TYPE_RGB        ? 3
                                                                    : 4;
    fixtures::PngInput input{13, 11, colour_type, 16};
    for (int y = 0; y < input.height; ++y) {
      for (int x = 0; x < input.width; ++x) {
        for (int c = 0; c < channels; ++c) {
          const int value = (x * 5000 + y * 3000 + c * 11111) % 65536;
          input.samples.push_back(static_cast<std::uint8_t>(value >> 8));  // big-endian
          input.samples.push_back(static_cast<std::uint8_t>(value));
        }
      }
    }
    const auto plain = DecodePng(fixtures::EncodePng(input));
    input.interlaced = true;
    const auto interlaced = DecodePng(fixtures::EncodePng(input));
    ASSERT_TRUE(plain.has_value());
    ASSERT_TRUE(interlaced.has_value());
    ASSERT_EQ(plain->pixels.size(), interlaced->pixels.size());
    int worst = 0;
    for (std::size_t i = 0; i < plain->pixels.size(); ++i) {
      const int a = plain->pixels[i], b = interlaced->pixels[i];
      // Weighted by alpha: where a pixel is clear its colour does not show.
      const int alpha = plain->pixels[i / 4 * 4 + 3];
      worst = std::max(worst, i % 4 == 3 ? std::abs(a - b) : std::abs(a - b) * alpha / 255);
    }
    EXPECT_LE(worst, 1);
  }
}

// The PNG with one more chunk right after its header chunk.
Bytes WithChunk(Bytes png, const char* type, const Bytes& body) {
  Bytes chunk;
  const auto put32 = [&](std::uint32_t v) {
    for (int shift = 24; shift >= 0; shift -= 8) {
      chunk.push_back(static_cast<std::uint8_t>(v >> shift));
    }
  };
  put32(static_cast<std::uint32_t>(body.size()));
  chunk.insert(chunk.end(), type, type + 4);
  chunk.insert(chunk.end(), body.begin(), body.end());
  put32(static_cast<std::uint32_t>(crc32(0, chunk.data() + 4, chunk.size() - 4)));
  png.insert(png.begin() + 33, chunk.begin(), chunk.end());
  return png;
}

// 16-bit samples are shown as the file's colour chunks say: without any as stored (sRGB, as at
// every other depth); with gAMA 1.0, or cHRM or iCCP and no gamma, as linear; with sRGB as stored.
// Interlaced files with colour chunks pass through linear values, which near black costs up to two
// levels on the way there and back.
TEST(Png, SixteenBitSamplesAreShownAsTheColourChunksSay) {
  const auto stored = [](int v) { return (v * 255 + 32767) / 65535; };
  const auto linear = [](int v) { return int(std::lround(255 * std::pow(v / 65535.0, 1 / 2.2))); };
  const struct {
    const char* chunk;
    Bytes body;
    int (*expected)(int);
    int tolerance;
  } cases[] = {
      {"", {}, stored, 0},
      {"gAMA", {0, 1, 0x86, 0xa0}, linear, 1},
      {"sRGB", {0}, stored, 2},
      {"cHRM", Bytes(32, 1), linear, 1},
      {"iCCP", {'x', 0, 0, 0x78, 0x9c, 0x03, 0, 0, 0, 0, 0x01}, linear, 1},
  };
  for (const auto& c : cases) {
    for (const bool interlaced : {false, true}) {
      SCOPED_TRACE(testing::Message()
                   << "'" << c.chunk << "'" << (interlaced ? " interlaced" : ""));
      fixtures::PngInput input{16, 9, PNG_COLOR_TYPE_RGB_ALPHA, 16};
      input.interlaced = interlaced;
      std::vector<int> samples;  // red, green, blue, alpha; alpha high enough to show colours
      for (int i = 0; i < input.width * input.height * 4; ++i) {
        samples.push_back(i % 4 == 3 ? 0x4000 + i * 997 % 0xc000 : (i * 3083 + i / 5) % 65536);
        input.samples.push_back(static_cast<std::uint8_t>(samples.back() >> 8));
        input.samples.push_back(static_cast<std::uint8_t>(samples.back()));
      }
      const Bytes png = fixtures::EncodePng(input);
      const auto picture = DecodePng(*c.chunk != 0 ? WithChunk(png, c.chunk, c.body) : png);
      ASSERT_TRUE(picture.has_value());
      for (std::size_t i = 0; i < samples.size(); ++i) {
        const int channel = static_cast<int>(i % 4);  // stored blue, green, red, alpha
        const int got = picture->pixels[i / 4 * 4 + (channel == 3 ? 3 : 2 - channel)];
        const int want = channel == 3 ? stored(samples[i]) : c.expected(samples[i]);
        ASSERT_NEAR(got, want, c.tolerance) << "sample " << i << " = " << samples[i];
      }
    }
  }
}

}  // namespace
}  // namespace lq::pictures
