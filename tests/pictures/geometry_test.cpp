// Where pictures land in a picture box for each display mode.
#include "runtime/pictures/geometry.h"

#include <gtest/gtest.h>

namespace lq::pictures {
namespace {

TEST(Geometry, TopLeftKeepsThePicturesSize) {
  EXPECT_EQ(PictureDestination(DisplayMode::kTopLeft, 600, 400, 155, 180),
            (DestinationRect{0, 0, 600, 400}));
  EXPECT_EQ(PictureDestination(DisplayMode::kTopLeft, 20, 10, 155, 180),
            (DestinationRect{0, 0, 20, 10}));
}

TEST(Geometry, StretchFillsTheBox) {
  EXPECT_EQ(PictureDestination(DisplayMode::kStretch, 600, 400, 155, 180),
            (DestinationRect{0, 0, 155, 180}));
  EXPECT_EQ(PictureDestination(DisplayMode::kStretch, 2, 3, 155, 180),
            (DestinationRect{0, 0, 155, 180}));
}

TEST(Geometry, CentredShrinksAPreviewIntoItsBox) {
  // A 600 x 400 preview in a 155 x 180 box: scale 155 / 600, 155 x 103 at (0, 38).
  EXPECT_EQ(PictureDestination(DisplayMode::kCentred, 600, 400, 155, 180),
            (DestinationRect{0, 38, 155, 103}));
}

TEST(Geometry, CentredSmallPicturesKeepTheirSize) {
  EXPECT_EQ(PictureDestination(DisplayMode::kCentred, 50, 31, 155, 180),
            (DestinationRect{52, 74, 50, 31}));
  EXPECT_EQ(PictureDestination(DisplayMode::kCentred, 155, 180, 155, 180),
            (DestinationRect{0, 0, 155, 180}));
}

TEST(Geometry, CentredLargerInOneDirectionOnly) {
  // Wider than the box, shorter: x from 0, y centred first, then shrunk by 100 / 300.
  // y = (90 - 60) / 2 = 15, height trunc(60 / 3) = 20, then 15 + (60 - 20) / 2 = 35.
  EXPECT_EQ(PictureDestination(DisplayMode::kCentred, 300, 60, 100, 90),
            (DestinationRect{0, 35, 100, 20}));
  // Taller: scale 50 / 200; width trunc(40 x 0.25) = 10; x = 30 + (40 - 10) / 2 = 45.
  EXPECT_EQ(PictureDestination(DisplayMode::kCentred, 40, 200, 100, 50),
            (DestinationRect{45, 0, 10, 50}));
}

TEST(Geometry, EmptyBoxesAndOddValues) {
  EXPECT_EQ(PictureDestination(DisplayMode::kCentred, 600, 400, 0, 0),
            (DestinationRect{0, 0, 0, 0}));
  EXPECT_EQ(DisplayModeFromValue(-1), DisplayMode::kTopLeft);
  EXPECT_EQ(DisplayModeFromValue(2), DisplayMode::kCentred);
  EXPECT_EQ(DisplayModeFromValue(9), DisplayMode::kCentred);
}

}  // namespace
}  // namespace lq::pictures
