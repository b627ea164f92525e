// SortArray on arrays of each numeric element type, and on arrays held by values.
#include "runtime/commands/sort_array.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace lq {
namespace {

TEST(SortArray, AscendingByDefault) {
  Array<std::int32_t> a{3, -1, 2, 2, INT32_MIN};
  SortArray(a);
  EXPECT_EQ(a, (Array<std::int32_t>{INT32_MIN, -1, 2, 2, 3}));
}

TEST(SortArray, Descending) {
  Array<std::int64_t> a{1, 5, -3};
  SortArray(a, false);
  EXPECT_EQ(a, (Array<std::int64_t>{5, 1, -3}));
}

TEST(SortArray, EachNumericElementType) {
  Array<std::uint8_t> bytes{200, 3, 100};
  SortArray(bytes);
  EXPECT_EQ(bytes, (Array<std::uint8_t>{3, 100, 200}));
  Array<std::int16_t> shorts{5, -300};
  SortArray(shorts);
  EXPECT_EQ(shorts, (Array<std::int16_t>{-300, 5}));
  Array<float> floats{1.5f, -2.5f};
  SortArray(floats);
  EXPECT_EQ(floats, (Array<float>{-2.5f, 1.5f}));
  Array<double> doubles{0.5, 2.0, -1.0};
  SortArray(doubles, false);
  EXPECT_EQ(doubles, (Array<double>{2.0, 0.5, -1.0}));
}

TEST(SortArray, NaNsGoToTheEndWithoutBreakingTheOrder) {
  const double nan = std::numeric_limits<double>::quiet_NaN();
  Array<double> a;
  for (int i = 0; i < 100; ++i) a.Append(i % 7 == 0 ? nan : double((i * 37) % 101));
  SortArray(a);
  int nans = 0;
  for (std::int32_t i = 1; i <= a.Count(); ++i) {
    if (std::isnan(a.At(i))) {
      ++nans;
    } else {
      EXPECT_EQ(nans, 0) << "a number after a NaN at " << i;
      if (i > 1) {
        EXPECT_LE(a.At(i - 1), a.At(i));
      }
    }
  }
  EXPECT_EQ(nans, 15);
}

TEST(SortArray, ArraysOfOtherElementsStayAsTheyAre) {
  Array<Text> texts{"b", "a"};
  SortArray(texts);
  EXPECT_EQ(texts, (Array<Text>{"b", "a"}));
}

TEST(SortArray, ArrayHeldByAValue) {
  Value v(Array<std::int32_t>{3, 1, 2});
  SortArray(v);
  EXPECT_EQ(v, Value(Array<std::int32_t>{1, 2, 3}));
  SortArray(v, false);
  EXPECT_EQ(v, Value(Array<std::int32_t>{3, 2, 1}));
}

TEST(SortArray, ValueWithoutANumericArrayStaysAsItIs) {
  Value t("cba");
  SortArray(t);
  EXPECT_EQ(t, Value("cba"));
  Value n(std::int32_t{5});
  SortArray(n);
  EXPECT_EQ(n, Value(std::int32_t{5}));
}

}  // namespace
}  // namespace lq
