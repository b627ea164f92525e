// Recognition by the first 8 bytes, in its fixed order.
#include "runtime/pictures/recognize.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/pictures/decoders.h"

namespace lq::pictures {
namespace {

using Data = std::vector<std::uint8_t>;

PictureKind Kind(const Data& d) { return RecognizePicture(d); }

TEST(Recognize, SignaturesInOrder) {
  EXPECT_EQ(Kind({'B', 'M', 0, 0, 0, 0, 0, 0}), PictureKind::kBmp);
  EXPECT_EQ(Kind({0xff, 0xd8, 0xff, 0xe0, 0, 0, 0, 0}), PictureKind::kJpeg);
  EXPECT_EQ(Kind({0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a}), PictureKind::kPng);
  EXPECT_EQ(Kind({0, 0, 1, 0, 3, 0, 0, 0}), PictureKind::kIcon);
  EXPECT_EQ(Kind({0, 0, 2, 0, 1, 0, 0, 0}), PictureKind::kCursor);
  EXPECT_EQ(Kind({'G', 'I', 'F', '8', '7', 'a', 0, 0}), PictureKind::kGif);
  EXPECT_EQ(Kind({'G', 'I', 'F', '8', '9', 'a', 0, 0}), PictureKind::kGif);
  EXPECT_EQ(Kind({0x0a, 5, 1, 8, 0, 0, 0, 0}), PictureKind::kPcx8);
  EXPECT_EQ(Kind({0x0a, 0, 1, 8, 0, 0, 0, 0}), PictureKind::kPcx8);
  EXPECT_EQ(Kind({0x0a, 3, 1, 1, 0, 0, 0, 0}), PictureKind::kPcx1);
}

TEST(Recognize, NearMissesAreNotRecognised) {
  EXPECT_EQ(Kind({'B', 'm', 0, 0, 0, 0, 0, 0}), PictureKind::kNone);
  EXPECT_EQ(Kind({0xff, 0xd9, 0, 0, 0, 0, 0, 0}), PictureKind::kNone);
  EXPECT_EQ(Kind({0x89, 'P', 'N', 'g', 0, 0, 0, 0}), PictureKind::kNone);
  EXPECT_EQ(Kind({0, 0, 1, 0, 0, 0, 0, 0}), PictureKind::kNone);  // no images
  EXPECT_EQ(Kind({0, 0, 3, 0, 1, 0, 0, 0}), PictureKind::kNone);  // type 3
  EXPECT_EQ(Kind({1, 0, 1, 0, 1, 0, 0, 0}), PictureKind::kNone);  // reserved word not 0
  EXPECT_EQ(Kind({'G', 'I', 'F', '8', '8', 'a', 0, 0}), PictureKind::kNone);
  EXPECT_EQ(Kind({'G', 'I', 'F', '8', '9', 'b', 0, 0}), PictureKind::kNone);
  EXPECT_EQ(Kind({0x0a, 6, 1, 8, 0, 0, 0, 0}), PictureKind::kNone);  // version above 5
  EXPECT_EQ(Kind({0x0a, 5, 0, 8, 0, 0, 0, 0}), PictureKind::kNone);  // not run-length coded
  EXPECT_EQ(Kind({0x0a, 5, 1, 1, 0, 0, 0, 0}), PictureKind::kNone);  // 1 bit needs version 3
  EXPECT_EQ(Kind({0x0a, 3, 1, 4, 0, 0, 0, 0}), PictureKind::kNone);  // 4 bits
  EXPECT_EQ(Kind({0, 0, 0, 0, 0, 0, 0, 0}), PictureKind::kNone);
}

TEST(Recognize, SevenBytesOrFewerAreNeverRecognised) {
  const Data full[] = {{'B', 'M', 0, 0, 0, 0, 0, 0},
                       {0xff, 0xd8, 0xff, 0xe0, 0, 0, 0, 0},
                       {0x89, 'P', 'N', 'G', 0x0d, 0x0a, 0x1a, 0x0a},
                       {0, 0, 1, 0, 1, 0, 0, 0},
                       {'G', 'I', 'F', '8', '9', 'a', 1, 0},
                       {0x0a, 5, 1, 8, 0, 0, 0, 0}};
  for (const Data& d : full) {
    ASSERT_NE(Kind(d), PictureKind::kNone);
    for (std::size_t n = 0; n < 8; ++n) {
      const Data prefix(d.begin(), d.begin() + n);
      EXPECT_EQ(Kind(prefix), PictureKind::kNone) << n;
      EXPECT_FALSE(DecodePicture(prefix).has_value()) << n;
    }
  }
}

TEST(Recognize, OnlyTheFirstEightBytesCount) {
  Data d = {'X', 'M', 0, 0, 0, 0, 0, 0, 'B', 'M'};
  EXPECT_EQ(Kind(d), PictureKind::kNone);
  d[0] = 'B';
  EXPECT_EQ(Kind(d), PictureKind::kBmp);
}

}  // namespace
}  // namespace lq::pictures
