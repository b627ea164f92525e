// Demo content for the local download endpoint: for every catalogue record a preview picture at its
// preview path and a package at its package path, under one output directory. A URL's file is its
// path without the host and the leading slash, percent-decoded as an HTTP server maps a request to
// a file ("Shyvana%20_04.jpg" lies in "Shyvana _04.jpg").
#pragma once

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "skins/catalogue.h"

namespace lq::demo {

// The package of a record: a stored zip with one text entry, "skin.txt", naming the skin.
std::vector<std::uint8_t> BuildSkinPackage(const ChampionEntry& entry, int slot);

// The preview of a record as JPEG file bytes.
std::vector<std::uint8_t> BuildSkinPreview(const ChampionEntry& entry, int slot);

struct DemoContentResult {
  bool ok = false;
  int previews = 0;  // files written (records sharing a path share one file)
  int packages = 0;
  std::string error;  // what failed, when !ok
};

// Writes the content of every catalogue URL below `root`, creating directories as needed.
DemoContentResult GenerateDemoContent(const std::filesystem::path& root);

// Where a catalogue URL's content lies below `root`; empty for a URL not on the download host.
std::filesystem::path ContentPathOf(const std::filesystem::path& root, std::string_view url);

}  // namespace lq::demo
