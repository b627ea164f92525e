// The download paths: the two patterns every path follows, and the fixed rule for the paths the
// catalogue rows do not spell out.
#include "skins/catalogue_paths.h"

#include <gtest/gtest.h>

#include <map>
#include <regex>
#include <string>
#include <utility>

#include "skins/catalogue.h"

namespace lq {
namespace {

std::string Lower(std::string_view s) {
  std::string out(s);
  for (char& c : out) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return out;
}

const ChampionEntry& ByChampion(std::string_view champion) {
  for (const ChampionEntry& entry : Catalogue()) {
    if (entry.champion == champion) {
      return entry;
    }
  }
  ADD_FAILURE() << "no champion " << champion;
  return Catalogue().front();
}

TEST(CataloguePaths, EveryPathFollowsItsPattern) {
  // Package paths whose champion part is not the champion in lower case, and the one that does
  // not end in ".zip".
  const std::map<std::pair<std::string_view, int>, std::string_view> odd_packages = {
      {{"Brand", 2}, "Brand"},
      {{"Rammus", 2}, "Rammus%20"},
      {{"Kalista", 3}, "kalistaaltar"},
      {{"Yorick", 1}, "yorik"},
  };
  const std::regex preview(R"(/lolbf/imgs/([A-Za-z]+)(%20)?_([0-9]{1,2})\.jpg)");
  const std::regex package(R"(/lolbf/pf/([A-Za-z%0-9]+)_[0-9a-f]{32}\.(zip|jpg))");
  int checked = 0;
  for (const ChampionEntry& entry : Catalogue()) {
    for (int slot = 1; slot <= 3; ++slot) {
      const SkinRecord& skin = entry.skins[slot - 1];
      const std::string preview_path(DownloadPath(skin.preview_url.view()));
      const std::string package_path(DownloadPath(skin.package_url.view()));
      std::smatch m;
      ASSERT_TRUE(std::regex_match(preview_path, m, preview)) << preview_path;
      EXPECT_EQ(m[1].str(), entry.champion);
      EXPECT_EQ(m[2].matched, entry.champion == "Shyvana" && slot == 1) << preview_path;
      EXPECT_EQ(PreviewSkinNumber(preview_path), std::stoi(m[3].str()));

      ASSERT_TRUE(std::regex_match(package_path, m, package)) << package_path;
      const auto odd = odd_packages.find({entry.champion, slot});
      EXPECT_EQ(m[1].str(),
                odd == odd_packages.end() ? Lower(entry.champion) : std::string(odd->second));
      EXPECT_EQ(m[2].str() == "jpg", entry.champion == "Sejuani" && slot == 1) << package_path;
      ++checked;
    }
  }
  EXPECT_EQ(checked, 318);
}

TEST(CataloguePaths, PreviewNumbersDifferWithinAChampion) {
  for (const ChampionEntry& entry : Catalogue()) {
    if (entry.champion == "Trundle") {
      continue;  // one record in all three slots
    }
    const int a = PreviewSkinNumber(DownloadPath(entry.skins[0].preview_url.view()));
    const int b = PreviewSkinNumber(DownloadPath(entry.skins[1].preview_url.view()));
    const int c = PreviewSkinNumber(DownloadPath(entry.skins[2].preview_url.view()));
    EXPECT_TRUE(a != b && b != c && a != c) << entry.champion;
  }
}

TEST(CataloguePaths, PreviewSkinNumber) {
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/Ekko_6.jpg"), 6);
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/MonkeyKing_03.jpg"), 3);
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/Shyvana%20_04.jpg"), 4);
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/Brand_14.jpg"), 14);
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/Brand_.jpg"), -1);
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/Brand_140.jpg"), -1);
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/Brand_1a.jpg"), -1);
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/Brand14.jpg"), -1);
  EXPECT_EQ(PreviewSkinNumber("/lolbf/imgs/Brand_14.png"), -1);
  EXPECT_EQ(PreviewSkinNumber(""), -1);
}

TEST(CataloguePaths, Fnv1a64KnownValues) {
  EXPECT_EQ(Fnv1a64(""), 0xcbf29ce484222325ULL);
  EXPECT_EQ(Fnv1a64("a"), 0xaf63dc4c8601ec8cULL);
  EXPECT_EQ(Fnv1a64("foobar"), 0x85944171f73967e8ULL);
}

// Values worked out independently from the rule documented in catalogue_paths.h; a change here
// changes the paths that content already made for the endpoint was written under.
TEST(CataloguePaths, DerivedPathsFollowTheDocumentedRule) {
  const ChampionEntry& jinx = ByChampion("Jinx");
  EXPECT_EQ(DownloadPath(jinx.skins[0].package_url.view()),
            "/lolbf/pf/jinx_47d69ab4ee401dd16b4a4555a10eaf38.zip");
  EXPECT_EQ(DownloadPath(jinx.skins[0].preview_url.view()), "/lolbf/imgs/Jinx_14.jpg");
  EXPECT_EQ(DownloadPath(jinx.skins[1].preview_url.view()), "/lolbf/imgs/Jinx_11.jpg");
  EXPECT_EQ(DownloadPath(jinx.skins[2].preview_url.view()), "/lolbf/imgs/Jinx_16.jpg");
  EXPECT_EQ(DownloadPath(ByChampion("Talon").skins[2].package_url.view()),
            "/lolbf/pf/talon_2690471e45782f3c2335a28ac7f2964b.zip");
  // Brand's spelt-out slot 2 keeps its capital; the derived slots are lower case.
  EXPECT_EQ(DownloadPath(ByChampion("Brand").skins[0].package_url.view()),
            "/lolbf/pf/brand_c6f74d2244daf61461f4eb603069990b.zip");
  // MonkeyKing's slot 1 is spelt out with number 3; the derived numbers step around it.
  const ChampionEntry& wukong = ByChampion("MonkeyKing");
  EXPECT_EQ(DownloadPath(wukong.skins[1].preview_url.view()), "/lolbf/imgs/MonkeyKing_15.jpg");
  EXPECT_EQ(DownloadPath(wukong.skins[2].preview_url.view()), "/lolbf/imgs/MonkeyKing_8.jpg");
}

TEST(CataloguePaths, ResolvingARowTwiceGivesTheSamePaths) {
  for (const CatalogueRow& row : CatalogueRows()) {
    const ChampionPaths a = ResolveChampionPaths(row);
    const ChampionPaths b = ResolveChampionPaths(row);
    EXPECT_EQ(a.preview, b.preview);
    EXPECT_EQ(a.package, b.package);
  }
}

TEST(CataloguePaths, TakenNumbersAreSteppedOver) {
  // All three previews spelt out except one: the derived number avoids the two given ones even
  // when the hash lands on them.
  for (int given = 1; given <= 20; ++given) {
    const std::string p1 = "/lolbf/imgs/Test_" + std::to_string(given) + ".jpg";
    const std::string p2 = "/lolbf/imgs/Test_" + std::to_string(given % 20 + 1) + ".jpg";
    const CatalogueRow row{
        1, "x", "Test", {{{"a", p1.c_str(), "/p"}, {"b", p2.c_str(), "/q"}, {"c"}}}};
    const ChampionPaths paths = ResolveChampionPaths(row);
    const int n = PreviewSkinNumber(paths.preview[2]);
    EXPECT_GE(n, 1);
    EXPECT_LE(n, 20);
    EXPECT_NE(n, given);
    EXPECT_NE(n, given % 20 + 1);
  }
}

}  // namespace
}  // namespace lq
