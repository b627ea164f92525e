// The catalogue as data: one row per champion button, in catalogue order. Paths are given only
// where they do not follow the usual rules (see catalogue_paths.h).
#pragma once

#include <array>
#include <span>

namespace lq {

struct CatalogueSkinRow {
  const char* name;
  const char* preview_path = nullptr;  // null: derived
  const char* package_path = nullptr;  // null: derived
};

struct CatalogueRow {
  int page;
  const char* caption;
  const char* champion;  // as the preview paths spell it
  std::array<CatalogueSkinRow, 3> skins;
  bool reopened_skin_window = false;
};

std::span<const CatalogueRow> CatalogueRows();

}  // namespace lq
