// For the tests of the program's window templates: reading a control's initial properties, and
// the rules a window's layout keeps whatever its coordinates.
#pragma once

#include <gtest/gtest.h>

#include "runtime/forms/window_template.h"

namespace lq::test {

// The control's initial value of property `index`; null when the template sets none.
inline const PropertyInit* Property(const ControlTemplate& c, int index) {
  for (const PropertyInit& p : c.Properties()) {
    if (p.index == index) return &p;
  }
  return nullptr;
}

inline bool Overlap(const Geometry& a, const Geometry& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height &&
         b.top < a.top + a.height;
}

// Every visible control inside a container (group box or tab) lies within it, and no two visible
// controls of one container and page overlap. (Controls of the window itself are not held to its
// size: the template's size is the outer one.)
inline void ExpectControlsFitWithoutOverlapping(const WindowTemplate& w) {
  const auto find = [&w](UnitId id) -> const ControlTemplate* {
    for (const ControlTemplate& c : w.controls) {
      if (c.id == id) return &c;
    }
    return nullptr;
  };
  for (const ControlTemplate& c : w.controls) {
    if (!(c.flags & kUnitVisible)) continue;
    if (c.parent != 0) {
      const ControlTemplate* parent = find(c.parent);
      ASSERT_NE(parent, nullptr) << c.name;
      const Geometry& g = c.geometry;
      EXPECT_TRUE(g.left >= 0 && g.top >= 0 && g.left + g.width <= parent->geometry.width &&
                  g.top + g.height <= parent->geometry.height)
          << c.name;
    }
    for (const ControlTemplate& other : w.controls) {
      if (&other == &c || !(other.flags & kUnitVisible) || other.parent != c.parent ||
          other.page != c.page) {
        continue;
      }
      EXPECT_FALSE(Overlap(c.geometry, other.geometry)) << c.name << " / " << other.name;
    }
  }
}

}  // namespace lq::test
