// The content of ClientZips.txt: the repair form and the form an installation writes.
#include "skins/archive_list.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "skins/catalogue.h"

namespace lq {
namespace {

std::vector<std::string> Lines(std::string_view content) {
  std::vector<std::string> lines;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = content.find("\r\n", start);
    lines.emplace_back(content.substr(start, end - start));
    if (end == std::string_view::npos) {
      break;
    }
    start = end + 2;
  }
  return lines;
}

TEST(ArchiveList, StockNames) {
  const auto names = StockArchiveList();
  ASSERT_EQ(names.size(), 34u);
  EXPECT_EQ(names.front(), "Aatrox.zip");
  EXPECT_EQ(names[2], "CharacterAnimations.zip");
  EXPECT_EQ(names[8], "CharacterSkins.zip");
  EXPECT_EQ(names[28], "ParticleTextrues.zip");  // the game's own spelling
  EXPECT_EQ(names.back(), "Yasuo.zip");
}

TEST(ArchiveList, RepairFormIsTheStockNamesJoinedByCrLf) {
  const ByteSet content = StockArchiveListContent();
  EXPECT_EQ(content.size(), 667u);
  const std::string_view text = content.view();
  EXPECT_TRUE(text.starts_with("Aatrox.zip\r\nAzir.zip\r\n"));
  EXPECT_TRUE(text.ends_with("ParticleTextrues4.zip\r\nYasuo.zip"));
  EXPECT_EQ(text.find('\0'), std::string_view::npos);
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 34u);
  for (std::size_t i = 0; i < lines.size(); ++i) {
    EXPECT_EQ(lines[i], StockArchiveList()[i]);
  }
  // No bare CR or LF anywhere.
  std::size_t crs = 0, lfs = 0;
  for (char c : text) {
    crs += c == '\r', lfs += c == '\n';
  }
  EXPECT_EQ(crs, 33u);
  EXPECT_EQ(lfs, 33u);
}

TEST(ArchiveList, InstallFormAddsThePackageAsTheLastLine) {
  const ByteSet content = ArchiveListContentWithPackage(Text("悍警巨魔"));
  ASSERT_EQ(content.size(), 673u + 8u);
  const std::string_view text = content.view();
  EXPECT_EQ(text.substr(0, 667), StockArchiveListContent().view());
  // The name's GBK bytes, ".zip", and nothing after it.
  EXPECT_EQ(text.substr(667), "\r\n\xBA\xB7\xBE\xAF\xBE\xDE\xC4\xA7.zip");
  const std::vector<std::string> lines = Lines(text);
  ASSERT_EQ(lines.size(), 35u);
  EXPECT_EQ(lines[33], "Yasuo.zip");
}

TEST(ArchiveList, InstallFormForEverySkin) {
  for (const ChampionEntry& entry : Catalogue()) {
    for (const SkinRecord& skin : entry.skins) {
      const ByteSet content = ArchiveListContentWithPackage(skin.name);
      ASSERT_EQ(content.size(), 673u + skin.name.view().size());
      const std::string_view text = content.view();
      EXPECT_TRUE(text.ends_with(std::string("\r\n") + skin.name.str() + ".zip"));
      EXPECT_FALSE(text.ends_with("\r\n"));
      EXPECT_EQ(Lines(text).size(), 35u);
    }
  }
}

TEST(ArchiveList, AnEmptyNameGivesABareZipLine) {
  // Callers refuse to install from an empty slot; the writer itself uses the name as given.
  const ByteSet content = ArchiveListContentWithPackage(Text());
  EXPECT_EQ(content.size(), 673u);
  EXPECT_TRUE(content.view().ends_with("Yasuo.zip\r\n.zip"));
}

}  // namespace
}  // namespace lq
