// Sorting a numeric array in place.
#pragma once

#include <algorithm>
#include <compare>
#include <functional>

#include "runtime/commands/values.h"

namespace lq {

// Sorts an array of byte, short, integer, long, float or double elements, small to large when
// `ascending`, else large to small; the order of equal elements is not kept. Floating elements
// are ordered totally (NaNs at the ends), so no element makes the order undefined. Arrays of any
// other element type are left as they are.
template <class T>
void SortArray(Array<T>& array, bool ascending = true) {
  if constexpr (NumericElement<T>) {
    auto less = [](T a, T b) { return std::strong_order(a, b) < 0; };
    if (ascending) {
      std::sort(array.begin(), array.end(), less);
    } else {
      std::sort(array.begin(), array.end(), [&less](T a, T b) { return less(b, a); });
    }
  }
}

// The same for an array held by a value; a value that holds no numeric array is left as it is.
void SortArray(Value& array, bool ascending = true);

}  // namespace lq
