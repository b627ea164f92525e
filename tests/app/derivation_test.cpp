#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/game_directory.h"

namespace lq {
namespace {

std::optional<Text> Derive(const char* path) { return DeriveGameDirectory(Text(path)); }

TEST(DeriveGameDirectory, CutsAtTheGameFolderAndAppendsGame) {
  EXPECT_EQ(Derive("D:\\Games\\英雄联盟\\Air\\LolClient.exe"), Text("D:\\Games\\英雄联盟\\Game\\"));
  EXPECT_EQ(Derive("D:\\Games\\英雄联盟\\TCLS\\Client.exe"), Text("D:\\Games\\英雄联盟\\Game\\"));
  // A file directly inside the folder gives the same directory.
  EXPECT_EQ(Derive("D:\\Games\\英雄联盟\\Client.exe"), Text("D:\\Games\\英雄联盟\\Game\\"));
  // The first of two occurrences decides.
  EXPECT_EQ(Derive("D:\\英雄联盟\\英雄联盟\\Air\\LolClient.exe"), Text("D:\\英雄联盟\\Game\\"));
}

TEST(DeriveGameDirectory, NeedsTheFolderWithBackslashesOnBothSides) {
  EXPECT_EQ(Derive("D:\\LOL\\Air\\LolClient.exe"), std::nullopt);
  EXPECT_EQ(Derive("D:\\Games\\英雄联盟"), std::nullopt);  // the folder itself, no backslash after
  EXPECT_EQ(Derive("D:\\Games\\新英雄联盟\\Air\\x.exe"), std::nullopt);
  EXPECT_EQ(Derive("英雄联盟\\Air\\x.exe"), std::nullopt);
  EXPECT_EQ(Derive(""), std::nullopt);
}

TEST(DeriveGameDirectory, MatchesOnlyOnCharacterBoundaries) {
  // 乗 is 81 5C in GBK: its trail byte is a backslash byte but no backslash, so "乗英雄联盟\" holds
  // the marker's bytes without holding the folder.
  EXPECT_EQ(Derive("C:\\乗英雄联盟\\Air\\a.exe"), std::nullopt);
  EXPECT_EQ(Derive("C:\\乗\\英雄联盟\\Air\\a.exe"), Text("C:\\乗\\英雄联盟\\Game\\"));
}

TEST(GameDirectory, ReadersKeepTheValueTheyTookWhilePublishersReplaceIt) {
  PublishGameDirectory(Text("first"));
  const std::shared_ptr<const Text> held = GameDirectory();
  PublishGameDirectory(Text("second"));
  EXPECT_EQ(*held, Text("first"));
  EXPECT_EQ(*GameDirectory(), Text("second"));

  std::vector<std::thread> readers;
  std::atomic<bool> bad = false;
  for (int t = 0; t < 4; ++t) {
    readers.emplace_back([&bad] {
      for (int i = 0; i < 2000; ++i) {
        const auto v = GameDirectory();
        if (v == nullptr || (v->view() != "second" && v->view().substr(0, 3) != "dir")) bad = true;
      }
    });
  }
  for (int i = 0; i < 2000; ++i) PublishGameDirectory(Text("dir" + std::to_string(i)));
  for (auto& r : readers) r.join();
  EXPECT_FALSE(bad);
  PublishGameDirectory(Text());
  EXPECT_TRUE(GameDirectory()->empty());
}

}  // namespace
}  // namespace lq
