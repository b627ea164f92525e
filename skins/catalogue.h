// The built-in skin catalogue: 106 champions on eight role pages of the main window, three skins
// each. The catalogue is fixed at build time; only the download host is a build setting.
#pragma once

#include <array>
#include <span>
#include <string_view>
#include <vector>

#include "runtime/commands/values.h"

namespace lq {

// One skin: the stem of its package's file name and the two download URLs. All texts are GBK.
struct SkinRecord {
  Text name;
  Text preview_url;
  Text package_url;

  friend bool operator==(const SkinRecord&, const SkinRecord&) = default;
};

inline constexpr int kSkinsPerChampion = 3;
inline constexpr int kChampionCount = 106;

// The role pages are pages 1 to 8 of the main window's tab control (page 0 holds the settings).
inline constexpr int kFirstRolePage = 1;
inline constexpr int kLastRolePage = 8;

// Each role page has a grid of 5 columns by 4 rows of buttons; champions fill it row by row from
// the top left, so a button's position is row * kGridColumns + column.
inline constexpr int kGridColumns = 5;
inline constexpr int kGridRows = 4;
inline constexpr int kButtonsPerPage = kGridColumns * kGridRows;

// One champion button.
struct ChampionEntry {
  int index = 0;              // 0 to 105, in catalogue order (page by page, grid order)
  int page = 0;               // tab page, kFirstRolePage to kLastRolePage
  int position = 0;           // 0 to kButtonsPerPage - 1 within the page's grid
  Text caption;               // the button's caption, GBK
  std::string_view champion;  // the champion as the preview paths spell it ("MonkeyKing")
  std::array<SkinRecord, kSkinsPerChampion> skins;  // slot 1, 2, 3
  // The first wiring of this button emptied the slots after the skin window closed and opened the
  // window a second time, with nothing to preview and an empty name to install. The program opens
  // the skin window once for every button; the flag only records which button was wired that
  // way.
  bool reopened_skin_window = false;
};

// The whole catalogue in catalogue order. Built once, on first use (thread-safe), and never
// changed afterwards.
std::span<const ChampionEntry> Catalogue();

// The champion behind the button at `position` (0-based, row-major) of role page `page`, or null
// for a button without a champion or a page/position outside the grid.
const ChampionEntry* FindChampionButton(int page, int position);

// The download host (scheme, host and optional port, no trailing slash), a build setting.
inline constexpr std::string_view kDownloadHost = LQ_DOWNLOAD_HOST;

// The full URL of a catalogue path ("/lolbf/...") on the download host.
Text DownloadUrl(std::string_view path);

// The path part of a catalogue URL (the URL without the download host), or empty for a URL on
// another host.
std::string_view DownloadPath(std::string_view url);

// Builds a fresh copy of the catalogue; Catalogue() returns the one built on first use.
std::vector<ChampionEntry> BuildCatalogue();

}  // namespace lq
