// Centring a window on the screen.
#include "runtime/forms/centring.h"

#include <gtest/gtest.h>

namespace lq {
namespace {

TEST(Centring, CentringUsesIntegerDivision) {
  EXPECT_EQ(CentredOrigin(1024, 768, 556, 226), (Point{234, 271}));
  EXPECT_EQ(CentredOrigin(1025, 769, 484, 285), (Point{270, 242}));
  EXPECT_EQ(CentredOrigin(300, 200, 301, 203), (Point{0, -1}));
}

}  // namespace
}  // namespace lq
