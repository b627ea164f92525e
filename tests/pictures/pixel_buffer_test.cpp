// The pool that keeps freed pixel buffers for the next picture of the same size.
#include "runtime/pictures/pixel_buffer.h"

#include <gtest/gtest.h>

#include <vector>

#include "runtime/pictures/decoders.h"
#include "tests/pictures/fixtures.h"

namespace lq::pictures {
namespace {

constexpr std::size_t kMiB = 1024 * 1024;

class PixelPool : public ::testing::Test {
 protected:
  void SetUp() override { pixel_pool::Clear(); }
  void TearDown() override { pixel_pool::Clear(); }
};

TEST_F(PixelPool, AFreedLargeBlockServesTheNextOfItsSize) {
  void* block = pixel_pool::Take(3 * kMiB);
  pixel_pool::Give(block, 3 * kMiB);
  EXPECT_EQ(pixel_pool::KeptBytes(), 3 * kMiB);
  void* other_size = pixel_pool::Take(2 * kMiB);
  EXPECT_NE(other_size, block);
  EXPECT_EQ(pixel_pool::Take(3 * kMiB), block);
  EXPECT_EQ(pixel_pool::KeptBytes(), 0u);
  pixel_pool::Give(block, 3 * kMiB);
  pixel_pool::Give(other_size, 2 * kMiB);
  EXPECT_EQ(pixel_pool::KeptBytes(), 5 * kMiB);
}

TEST_F(PixelPool, SmallAndHugeBlocksAreNotKept) {
  pixel_pool::Give(pixel_pool::Take(1024), 1024);
  pixel_pool::Give(pixel_pool::Take(40 * kMiB), 40 * kMiB);
  EXPECT_EQ(pixel_pool::KeptBytes(), 0u);
}

TEST_F(PixelPool, KeepsAtMostFourBlocksAndThirtyTwoMebibytes) {
  std::vector<void*> blocks;
  for (std::size_t i = 1; i <= 6; ++i) {
    blocks.push_back(pixel_pool::Take(i * kMiB));
  }
  for (std::size_t i = 1; i <= 6; ++i) {
    pixel_pool::Give(blocks[i - 1], i * kMiB);
  }
  EXPECT_LE(pixel_pool::KeptBytes(), 32 * kMiB);
  EXPECT_EQ(pixel_pool::KeptBytes(), (3 + 4 + 5 + 6) * kMiB);  // the newest four
  std::vector<void*> big;
  for (int i = 0; i < 3; ++i) {
    big.push_back(pixel_pool::Take(15 * kMiB));
  }
  for (void* b : big) {
    pixel_pool::Give(b, 15 * kMiB);
  }
  EXPECT_LE(pixel_pool::KeptBytes(), 32 * kMiB);
}

TEST_F(PixelPool, ReplacingAPictureReusesItsRows) {
  const auto jpeg = fixtures::EncodeJpeg(400, 300);
  auto first = DecodeJpeg(jpeg);
  ASSERT_TRUE(first.has_value());
  const std::uint8_t* rows = first->pixels.data();
  first.reset();
  const auto second = DecodeJpeg(jpeg);
  ASSERT_TRUE(second.has_value());
  EXPECT_EQ(second->pixels.data(), rows);
}

}  // namespace
}  // namespace lq::pictures
