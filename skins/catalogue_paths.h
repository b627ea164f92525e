// The download paths of the catalogue's records. Rows spell out only the paths that do not follow
// the usual rules; every other path is derived, the same in every build, from a key per record:
//
//   key      = champion + "/" + slot digit + "/" + name            (the name's GBK bytes)
//   package  = "/lolbf/pf/" + lower-case champion + "_"
//              + hex16(Fnv1a64("1#" + key)) + hex16(Fnv1a64("2#" + key)) + ".zip"
//   preview  = "/lolbf/imgs/" + champion + "_" + number + ".jpg"
//
// hex16 is 16 lower-case hexadecimal digits. The preview's skin number starts at
// 1 + Fnv1a64("img#" + key) % 20 and counts on (20 wraps to 1) past the numbers the champion's
// other slots already use (spelt-out paths first, then the derived slots in slot order). A number
// below 10 gets a leading zero when bit 32 of that hash is set.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

#include "skins/catalogue_data.h"

namespace lq {

inline constexpr std::string_view kPreviewFolder = "/lolbf/imgs/";
inline constexpr std::string_view kPackageFolder = "/lolbf/pf/";

// 64-bit FNV-1a.
std::uint64_t Fnv1a64(std::string_view bytes);

struct ChampionPaths {
  std::array<std::string, 3> preview;
  std::array<std::string, 3> package;
};

// The paths of a row's three records: spelt-out ones as given, the others derived.
ChampionPaths ResolveChampionPaths(const CatalogueRow& row);

// The skin number of a preview path ("/lolbf/imgs/Ekko_06.jpg" gives 6), or -1 when the path does
// not end in "_" + one or two digits + ".jpg".
int PreviewSkinNumber(std::string_view preview_path);

}  // namespace lq
