// The one handle owner: each handle released exactly once, whatever hands it over.
#include "runtime/platform/unique_handle.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <utility>
#include <vector>

namespace lq {
namespace {

std::vector<int> released;
void Release(int h) { released.push_back(h); }

// 0 and -1 both mean no handle, as for Windows' kernel handles; 0 is what an empty owner holds.
using Owner = UniqueHandle<int, &Release, 0, -1>;
using NullOwner = UniqueHandle<int*, &std::free>;

class UniqueHandleTest : public ::testing::Test {
 protected:
  void SetUp() override { released.clear(); }
};

TEST_F(UniqueHandleTest, NoneValuesAreEmpty) {
  for (const int none : {0, -1}) {
    Owner o(none);
    EXPECT_FALSE(o);
    EXPECT_EQ(o.get(), 0);
  }
  EXPECT_FALSE(NullOwner());
  EXPECT_TRUE(released.empty());
}

TEST_F(UniqueHandleTest, EachHandleIsReleasedOnceWhateverHandsItOver) {
  {
    Owner a(7);
    Owner b(std::move(a));
    EXPECT_FALSE(a);
    EXPECT_EQ(b.get(), 7);
    Owner c(8);
    c = std::move(b);  // 8 goes, 7 moves on
    EXPECT_EQ(released, std::vector<int>{8});
    Owner& same = c;
    c = std::move(same);  // moving onto itself keeps the handle
    EXPECT_EQ(c.get(), 7);
    c.Reset(9);
    c.Reset(9);  // the same handle again is kept, not released
    EXPECT_EQ(released, (std::vector<int>{8, 7}));
    Owner d(10);
    EXPECT_EQ(d.release(), 10);  // given away: not released here
    d.Reset(-1);
  }
  EXPECT_EQ(released, (std::vector<int>{8, 7, 9}));
}

}  // namespace
}  // namespace lq
