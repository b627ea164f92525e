// The catalogue's champion by the caption of its button, for tests that name champions.
#pragma once

#include <gtest/gtest.h>

#include <string_view>

#include "skins/catalogue.h"

namespace lq::test {

inline const ChampionEntry& ChampionByCaption(std::string_view caption) {
  for (const ChampionEntry& entry : Catalogue()) {
    if (entry.caption.view() == caption) {
      return entry;
    }
  }
  ADD_FAILURE() << "no champion button " << caption;
  return Catalogue().front();
}

}  // namespace lq::test
