// GIF: blocks, LZW frames, the still picture and the frames of an animation.
#include "runtime/pictures/gif.h"

#include <gtest/gtest.h>

#include "runtime/pictures/decoders.h"
#include "tests/pictures/fixtures.h"
#include "tests/pictures/picture_pixels.h"

namespace lq::pictures {
namespace {

using fixtures::AlphaAt;
using fixtures::Bytes;
using fixtures::GifFrameInput;
using fixtures::GifInput;
using fixtures::PixelAt;
using fixtures::Rgb;

const std::vector<Rgb> kFour = {{0, 0, 0}, {255, 0, 0}, {0, 255, 0}, {0, 0, 255}};

GifFrameInput Frame(int left, int top, int width, int height, std::uint8_t index) {
  return {left, top, width, height, Bytes(static_cast<std::size_t>(width) * height, index)};
}

Rgb CanvasPixel(const GifCanvas& canvas, int x, int y) {
  const std::uint8_t* p = canvas.pixels().data() + (y * canvas.width() + x) * 4;
  return {p[2], p[1], p[0]};
}

std::uint8_t CanvasAlpha(const GifCanvas& canvas, int x, int y) {
  return canvas.pixels()[(y * canvas.width() + x) * 4 + 3];
}

TEST(Gif, StillIsTheFirstFrameOnTheLogicalScreen) {
  GifInput input{6, 4, kFour};
  GifFrameInput first = Frame(1, 1, 3, 2, 1);
  first.indices[1] = 3;
  input.frames = {first, Frame(0, 0, 6, 4, 2)};
  const auto picture = DecodeGifStill(fixtures::EncodeGif(input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->kind, PictureKind::kGif);
  EXPECT_EQ(picture->layout, PixelLayout::kBgra32TopDown);
  EXPECT_EQ(picture->width, 6);
  EXPECT_EQ(picture->height, 4);
  EXPECT_EQ(PixelAt(*picture, 1, 1), (Rgb{255, 0, 0}));
  EXPECT_EQ(PixelAt(*picture, 2, 1), (Rgb{0, 0, 255}));
  EXPECT_EQ(AlphaAt(*picture, 1, 1), 255);
  EXPECT_EQ(AlphaAt(*picture, 0, 0), 0);  // not covered: the background shows
  EXPECT_EQ(AlphaAt(*picture, 4, 1), 0);
  EXPECT_EQ(AlphaAt(*picture, 3, 2), 255);
  EXPECT_EQ(AlphaAt(*picture, 3, 3), 0);
}

TEST(Gif, Gif87aAndLocalTables) {
  GifInput input{2, 1, kFour};
  input.gif87a = true;
  GifFrameInput frame = Frame(0, 0, 2, 1, 1);
  frame.local_palette = {{10, 20, 30}, {40, 50, 60}};
  input.frames = {frame};
  const auto picture = DecodePicture(fixtures::EncodeGif(input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{40, 50, 60}));
}

TEST(Gif, LargeFramesRoundTripThroughEveryCodeSize) {
  // 256 colours and varied content: the table grows to 12 bits and is cleared when full.
  GifInput input{300, 200};
  for (int i = 0; i < 256; ++i) {
    input.global_palette.push_back(
        {std::uint8_t(i), std::uint8_t(i ^ 0x55), std::uint8_t(255 - i)});
  }
  GifFrameInput frame{0, 0, 300, 200};
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      frame.indices.push_back(
          static_cast<std::uint8_t>(((x / 3) * 7 + y * 13 + (x * y) % 11) & 0xff));
    }
  }
  input.frames = {frame};
  const auto picture = DecodeGifStill(fixtures::EncodeGif(input));
  ASSERT_TRUE(picture.has_value());
  int wrong = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      wrong += PixelAt(*picture, x, y) != input.global_palette[frame.indices[y * 300 + x]];
    }
  }
  EXPECT_EQ(wrong, 0);
}

TEST(Gif, InterlacedRowsLandInPlace) {
  GifInput input{3, 11, kFour};
  GifFrameInput frame{0, 0, 3, 11};
  for (int y = 0; y < 11; ++y) {
    frame.indices.insert(frame.indices.end(), 3, static_cast<std::uint8_t>(y % 4));
  }
  frame.interlaced = true;
  input.frames = {frame};
  const auto picture = DecodeGifStill(fixtures::EncodeGif(input));
  ASSERT_TRUE(picture.has_value());
  for (int y = 0; y < 11; ++y) {
    EXPECT_EQ(PixelAt(*picture, 1, y), kFour[y % 4]) << y;
  }
}

TEST(Gif, IndicesPastTheColourTableAreBlack) {
  GifInput input{4, 1, {{10, 10, 10}, {200, 200, 200}}};
  GifFrameInput frame{0, 0, 4, 1, {0, 1, 2, 3}};
  frame.local_palette = {};
  input.frames = {frame};
  // Two colours but codes for four: the encoder needs a minimum code size of 2 either way.
  const auto picture = DecodeGifStill(fixtures::EncodeGif(input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 1, 0), (Rgb{200, 200, 200}));
  EXPECT_EQ(PixelAt(*picture, 2, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(AlphaAt(*picture, 3, 0), 255);
}

TEST(Gif, NoColourTableAtAllDrawsBlack) {
  GifInput input{2, 1};
  input.frames = {Frame(0, 0, 2, 1, 1)};
  const auto picture = DecodeGifStill(fixtures::EncodeGif(input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(PixelAt(*picture, 0, 0), (Rgb{0, 0, 0}));
  EXPECT_EQ(AlphaAt(*picture, 0, 0), 255);
}

TEST(Gif, FramesAreClippedToTheScreen) {
  GifInput input{4, 4, kFour};
  input.frames = {Frame(2, 3, 5, 5, 2)};
  const auto picture = DecodeGifStill(fixtures::EncodeGif(input));
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(AlphaAt(*picture, 1, 3), 0);
  EXPECT_EQ(PixelAt(*picture, 3, 3), (Rgb{0, 255, 0}));
  EXPECT_EQ(AlphaAt(*picture, 3, 2), 0);
}

TEST(Gif, ExtensionsAreSkippedAndControlValuesRead) {
  GifInput input{2, 2, kFour};
  GifFrameInput a = Frame(0, 0, 2, 2, 1);
  a.graphic_control = true;
  a.delay = 0;
  GifFrameInput b = Frame(0, 0, 1, 1, 2);
  b.graphic_control = true;
  b.disposal = 3;
  b.transparent = true;
  b.transparent_index = 3;
  b.delay = 7;
  input.frames = {a, b};
  Bytes gif = fixtures::EncodeGif(input);
  // A comment and an application extension before the first frame, each in two sub-blocks.
  const Bytes extensions = {'!', 0xfe, 2,   'h', 'i', 1,   '!', 0,   '!', 0xff, 11, 'N', 'E', 'T',
                            'S', 'C',  'A', 'P', 'E', '2', '.', '0', 3,   1,    0,  0,   0};
  gif.insert(gif.begin() + 13 + 12, extensions.begin(), extensions.end());
  const auto stream = ParseGif(gif);
  ASSERT_TRUE(stream.has_value());
  ASSERT_EQ(stream->frames.size(), 2u);
  EXPECT_EQ(stream->frames[0].delay, 0);
  EXPECT_EQ(GifFrameDelayMs(stream->frames[0]), 50);  // delay 0 plays at 50 ms
  EXPECT_EQ(stream->frames[1].disposal, 3);
  EXPECT_TRUE(stream->frames[1].transparent);
  EXPECT_EQ(stream->frames[1].transparent_index, 3);
  EXPECT_EQ(GifFrameDelayMs(stream->frames[1]), 70);
  EXPECT_FALSE(stream->frames[0].transparent);
}

TEST(Gif, BlocksEndAtTrailerZeroOrUnknownByteOrThePastTheEndBlock) {
  GifInput input{2, 2, kFour};
  input.frames = {Frame(0, 0, 2, 2, 1), Frame(0, 0, 2, 2, 2)};
  const Bytes gif = fixtures::EncodeGif(input);
  ASSERT_EQ(ParseGif(gif)->frames.size(), 2u);
  // The first frame ends where the second's descriptor starts.
  const std::size_t second = gif.size() - 1 - (gif.size() - 1 - 25) / 2;
  ASSERT_EQ(gif[second], ',');
  for (std::uint8_t stop : {std::uint8_t(';'), std::uint8_t(0), std::uint8_t('x')}) {
    Bytes cut = gif;
    cut[second] = stop;
    const auto stream = ParseGif(cut);
    ASSERT_TRUE(stream.has_value());
    EXPECT_EQ(stream->frames.size(), 1u) << int(stop);
  }
  const auto truncated = ParseGif(Bytes(gif.begin(), gif.end() - 3));
  ASSERT_TRUE(truncated.has_value());
  EXPECT_EQ(truncated->frames.size(), 1u);
}

TEST(Gif, HeadersThatCannotBeReadGiveNoPicture) {
  GifInput input{2, 2, kFour};
  input.frames = {Frame(0, 0, 2, 2, 1)};
  const Bytes gif = fixtures::EncodeGif(input);
  EXPECT_FALSE(DecodeGifStill(Bytes(gif.begin(), gif.begin() + 13)).has_value());
  EXPECT_FALSE(DecodeGifStill(Bytes(gif.begin(), gif.begin() + 20)).has_value());  // table cut
  Bytes bad = gif;
  bad[4] = '8';  // GIF88a
  EXPECT_FALSE(DecodeGifStill(bad).has_value());
  bad = gif;
  bad[6] = 0, bad[7] = 0;  // screen width 0
  EXPECT_FALSE(DecodeGifStill(bad).has_value());
  bad = gif;
  bad[6] = 0x01, bad[7] = 0x40;  // screen width 16385
  EXPECT_FALSE(DecodeGifStill(bad).has_value());
  // No frame before the trailer.
  Bytes empty(gif.begin(), gif.begin() + 13 + 12);
  empty.push_back(';');
  EXPECT_FALSE(DecodeGifStill(empty).has_value());
}

TEST(Gif, AnimationRestoresDisposedAreasAndKeepsTransparentPixels) {
  GifInput input{4, 1, kFour};
  GifFrameInput base = Frame(0, 0, 4, 1, 1);  // all red
  GifFrameInput keep = Frame(0, 0, 2, 1, 2);  // green over the left half, disposal 3
  keep.graphic_control = true;
  keep.disposal = 3;
  GifFrameInput over{1, 0, 3, 1, {3, 0, 3}};  // blue, transparent, blue; disposal 2
  over.graphic_control = true;
  over.disposal = 2;
  over.transparent = true;
  over.transparent_index = 0;
  GifFrameInput last = Frame(3, 0, 1, 1, 2);
  input.frames = {base, keep, over, last};
  const Bytes gif = fixtures::EncodeGif(input);
  auto stream = ParseGif(gif);
  ASSERT_TRUE(stream.has_value());
  GifCanvas canvas(gif, *stream);
  const Rgb red{255, 0, 0}, green{0, 255, 0}, blue{0, 0, 255};

  canvas.DrawFrame(0);
  for (int x = 0; x < 4; ++x) {
    EXPECT_EQ(CanvasPixel(canvas, x, 0), red);
  }
  canvas.DrawFrame(1);
  EXPECT_EQ(CanvasPixel(canvas, 0, 0), green);
  EXPECT_EQ(CanvasPixel(canvas, 1, 0), green);
  EXPECT_EQ(CanvasPixel(canvas, 2, 0), red);
  canvas.DrawFrame(2);  // frame 1's area comes back first: red, then blue, kept, blue
  EXPECT_EQ(CanvasPixel(canvas, 0, 0), red);
  EXPECT_EQ(CanvasPixel(canvas, 1, 0), blue);
  EXPECT_EQ(CanvasPixel(canvas, 2, 0), red);  // transparent index: left as it was
  EXPECT_EQ(CanvasPixel(canvas, 3, 0), blue);
  canvas.DrawFrame(3);  // frame 2's area is put back as it was before it
  EXPECT_EQ(CanvasPixel(canvas, 0, 0), red);
  EXPECT_EQ(CanvasPixel(canvas, 1, 0), red);
  EXPECT_EQ(CanvasPixel(canvas, 2, 0), red);
  EXPECT_EQ(CanvasPixel(canvas, 3, 0), green);
  EXPECT_EQ(CanvasAlpha(canvas, 3, 0), 255);
}

TEST(Gif, CanvasStartsAsBackgroundAndDisposalTwoPutsItBack) {
  GifInput input{2, 1, kFour};
  GifFrameInput first = Frame(0, 0, 1, 1, 1);
  first.graphic_control = true;
  first.disposal = 2;
  input.frames = {first, Frame(1, 0, 1, 1, 3)};
  const Bytes gif = fixtures::EncodeGif(input);
  GifCanvas canvas(gif, *ParseGif(gif));
  EXPECT_EQ(CanvasAlpha(canvas, 0, 0), 0);
  canvas.DrawFrame(0);
  EXPECT_EQ(CanvasAlpha(canvas, 0, 0), 255);
  canvas.DrawFrame(1);
  EXPECT_EQ(CanvasAlpha(canvas, 0, 0), 0);  // background again
  EXPECT_EQ(CanvasAlpha(canvas, 1, 0), 255);
}

TEST(Gif, CorruptLzwEndsTheFrameWithoutHarm) {
  GifInput input{4, 4, kFour};
  input.frames = {Frame(0, 0, 4, 4, 1)};
  Bytes gif = fixtures::EncodeGif(input);
  // Codes past the table: the data bytes after the first sub-block's length all 0xff.
  const std::size_t data = 13 + 12 + 10 + 1;  // header, table, descriptor, code size
  for (std::size_t i = data + 1; i < gif.size() - 2; ++i) {
    gif[i] = 0xff;
  }
  const auto picture = DecodeGifStill(gif);
  ASSERT_TRUE(picture.has_value());
  EXPECT_EQ(picture->width, 4);
}

}  // namespace
}  // namespace lq::pictures
