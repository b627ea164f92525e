// Hostile data: every format cut short at every length, bytes flipped, and the inputs that once
// crashed a decoder under fuzzing.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "runtime/pictures/decoders.h"
#include "runtime/pictures/gif.h"
#include "tests/pictures/fixtures.h"

namespace lq::pictures {
namespace {

using fixtures::Bytes;

// Decodes the data the way the runtime can: the still, and for a GIF every frame of an animation.
void DecodeEveryWay(const Bytes& data) {
  (void)DecodePicture(data);
  (void)ChooseIconImage(data, 16);
  if (auto stream = ParseGif(data)) {
    GifCanvas canvas(data, *stream);
    for (std::size_t i = 0; i <= stream->frames.size(); ++i) {
      canvas.DrawFrame(i % std::max<std::size_t>(1, stream->frames.size()));
    }
  }
}

TEST(Hostile, EveryPrefixOfEverySampleDecodesSafely) {
  for (const auto& file : fixtures::SampleFiles()) {
    ASSERT_TRUE(DecodePicture(file.bytes).has_value()) << file.name;
    for (std::size_t n = 0; n < file.bytes.size(); ++n) {
      DecodeEveryWay(Bytes(file.bytes.begin(), file.bytes.begin() + n));
    }
  }
}

// The shortest prefix that still gives a picture.
std::size_t ShortestDecodable(const Bytes& data) {
  for (std::size_t n = 0; n <= data.size(); ++n) {
    if (DecodePicture(Bytes(data.begin(), data.begin() + n)).has_value()) {
      return n;
    }
  }
  return data.size() + 1;
}

TEST(Hostile, TruncatedPicturesGiveNoPicture) {
  for (const auto& file : fixtures::SampleFiles()) {
    const std::size_t size = file.bytes.size();
    std::size_t complete = size;  // everything is needed, unless the format ends with extras
    if (file.name == "24.bmp") {
      complete = size - 3;  // the last row's padding
    } else if (file.name == "4-top-down.bmp") {
      complete = size - 1;
    } else if (file.name == "1.bmp" || file.name == "565.bmp" || file.name.starts_with("rle")) {
      complete = size - 2;  // the last row's padding, or what pads the run-length codes
    } else if (file.name.ends_with(".png")) {
      complete = size - 12;  // the end chunk: the image data are complete without it
    } else if (file.name == "animated.gif") {
      continue;  // later frames are optional: checked below with a single frame
    } else if (file.name == "8.pcx") {
      complete = size - 769;  // without the marker the palette is black
    }
    EXPECT_EQ(ShortestDecodable(file.bytes), complete) << file.name;
  }
  fixtures::GifInput input{3, 2, {{1, 2, 3}, {4, 5, 6}}};
  input.frames = {{0, 0, 3, 2, Bytes(6, 1)}};
  const Bytes gif = fixtures::EncodeGif(input);
  EXPECT_EQ(ShortestDecodable(gif), gif.size() - 1);  // all but the trailer
}

TEST(Hostile, FlippedBytesDecodeSafely) {
  for (const auto& file : fixtures::SampleFiles()) {
    for (std::size_t i = 0; i < file.bytes.size(); ++i) {
      for (std::uint8_t value : {std::uint8_t(0), std::uint8_t(0xff), std::uint8_t(0x80)}) {
        Bytes changed = file.bytes;
        changed[i] = value;
        DecodeEveryWay(changed);
      }
    }
  }
}

TEST(Hostile, CrashRegressionsDecodeSafely) {
  const std::filesystem::path folder = std::filesystem::path(LQ_PICTURES_TEST_DIR) / "regressions";
  ASSERT_TRUE(std::filesystem::is_directory(folder)) << folder;
  for (const auto& entry : std::filesystem::directory_iterator(folder)) {
    if (!entry.is_regular_file() || entry.path().extension() == ".md") {
      continue;
    }
    std::ifstream in(entry.path(), std::ios::binary);
    const Bytes data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    SCOPED_TRACE(entry.path().filename().string());
    DecodeEveryWay(data);
  }
}

}  // namespace
}  // namespace lq::pictures
