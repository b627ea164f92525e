#include "skins/catalogue.h"

#include "skins/catalogue_data.h"
#include "skins/catalogue_paths.h"

namespace lq {

std::vector<ChampionEntry> BuildCatalogue() {
  std::vector<ChampionEntry> entries;
  entries.reserve(kChampionCount);
  int page = 0;
  int position = 0;
  for (const CatalogueRow& row : CatalogueRows()) {
    if (row.page != page) {
      page = row.page;
      position = 0;
    }
    const ChampionPaths paths = ResolveChampionPaths(row);
    ChampionEntry& entry = entries.emplace_back();
    entry.index = static_cast<int>(entries.size()) - 1;
    entry.page = row.page;
    entry.position = position++;
    entry.caption = Text(row.caption);
    entry.champion = row.champion;
    for (int i = 0; i < kSkinsPerChampion; ++i) {
      entry.skins[i] = SkinRecord{Text(row.skins[i].name), DownloadUrl(paths.preview[i]),
                                  DownloadUrl(paths.package[i])};
    }
    entry.reopened_skin_window = row.reopened_skin_window;
  }
  return entries;
}

std::span<const ChampionEntry> Catalogue() {
  // Never destroyed: worker threads may still read it while the program ends.
  static const auto* const kEntries = new std::vector<ChampionEntry>(BuildCatalogue());
  return *kEntries;
}

const ChampionEntry* FindChampionButton(int page, int position) {
  if (page < kFirstRolePage || page > kLastRolePage) {
    return nullptr;
  }
  if (position < 0 || position >= kButtonsPerPage) {
    return nullptr;
  }
  for (const ChampionEntry& entry : Catalogue()) {
    if (entry.page == page && entry.position == position) {
      return &entry;
    }
  }
  return nullptr;
}

Text DownloadUrl(std::string_view path) {
  std::string url(kDownloadHost);
  url += path;
  return Text(std::move(url));
}

std::string_view DownloadPath(std::string_view url) {
  if (!url.starts_with(kDownloadHost)) {
    return {};
  }
  url.remove_prefix(kDownloadHost.size());
  return url.starts_with('/') ? url : std::string_view();
}

}  // namespace lq
