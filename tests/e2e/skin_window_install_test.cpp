// Installing from the skin window: the load button's captions while it runs, the package and the
// list it leaves in the game folder, the close after the message, and the repair afterwards.
#include <gtest/gtest.h>

#include "tests/e2e/skin_window_harness.h"
#include "tools/driver/lib/message_boxes.h"

namespace lq::e2e {
namespace {

namespace fs = std::filesystem;

class SkinWindowInstall : public SkinWindowRoad {
 protected:
  // Clicks the slot's load button in an open skin window and follows the installation to its end:
  // "正在下载" with the share that has come while the (slowed) download runs, "正在写入" while
  // "载入成功" is shown, then the window closes.
  void InstallWithCaptions(int slot) {
    ASSERT_TRUE(download_host::SetFault("slow:1500"));
    ClickLoad(slot);
    EXPECT_TRUE(WaitDownloadCaption(slot, /*progress=*/true));
    std::vector<driver::MessageBoxView> boxes;
    ASSERT_TRUE(WaitUntil([&] {
      return !(boxes = driver::OpenMessageBoxes(program().process())).empty();
    })) << "no message after the download";
    EXPECT_EQ(boxes.front().text, L"载入成功");
    EXPECT_EQ(Caption(slot), L"正在写入");
    EXPECT_TRUE(program().AnswerMessage(L"载入成功"));
    EXPECT_TRUE(WaitSkinWindowGone());
    ASSERT_TRUE(download_host::SetFault("none"));
  }

  // The package of the champion's slot is in the game folder, byte for byte as served, and the
  // list names it last.
  void ExpectInstalled(const SkinRecord& skin) {
    EXPECT_EQ(ReadFileBytes(PackageFile(skin.name.view())),
              download_host::Body(skin.package_url.view()))
        << Utf8(Wide936(skin.name.view()));
    const std::string list = ReadFileBytes(game() / L"ClientZips.txt");
    EXPECT_EQ(list, ListNaming(skin.name.view()));
    EXPECT_EQ(list.size(), 673u + skin.name.view().size());
  }
};

TEST_F(SkinWindowInstall, EachLoadButtonInstallsItsSlot) {
  const ChampionEntry& ekko = Champion("时间刺客");
  for (int slot = 1; slot <= 3; ++slot) {
    SCOPED_TRACE("slot " + std::to_string(slot));
    ASSERT_TRUE(OpenSkinWindow(ekko));
    InstallWithCaptions(slot);
    ExpectInstalled(ekko.skins[slot - 1]);
  }
  // Earlier packages stay in the folder, no longer listed; nothing else is left behind.
  const FolderContents files = ContentsOf(game());
  EXPECT_EQ(files.size(), 4u);
  for (const SkinRecord& skin : ekko.skins) {
    EXPECT_TRUE(files.contains(Wide936(skin.name.view()) + L".zip"));
  }
}

TEST_F(SkinWindowInstall, RepairAfterwardsListsTheStockArchivesOnly) {
  const ChampionEntry& trundle = Champion("巨魔之王");
  ASSERT_TRUE(OpenSkinWindow(trundle));
  InstallWithCaptions(3);
  ExpectInstalled(trundle.skins[2]);

  ASSERT_TRUE(program().SelectPage(0));
  driver::Click(program().Control(kRepairButton));
  EXPECT_TRUE(program().AnswerMessage(L"修复成功"));
  const std::string list = ReadFileBytes(game() / L"ClientZips.txt");
  EXPECT_EQ(list.size(), 667u);
  EXPECT_EQ(list, StockList());
  // The package file stays.
  EXPECT_EQ(ReadFileBytes(PackageFile("悍警巨魔")),
            download_host::Body(trundle.skins[0].package_url.view()));
}

TEST_F(SkinWindowInstall, TwoSkinsOfOneNameShareTheirFile) {
  const ChampionEntry& riven = Champion("放逐之刃");
  const ChampionEntry& talon = Champion("刀锋之影");
  ASSERT_EQ(riven.skins[0].name, Text("冠军皮肤"));
  ASSERT_EQ(talon.skins[0].name, Text("冠军皮肤"));
  ASSERT_NE(download_host::Body(riven.skins[0].package_url.view()),
            download_host::Body(talon.skins[0].package_url.view()));

  ASSERT_TRUE(OpenSkinWindow(riven));
  InstallWithCaptions(1);
  ExpectInstalled(riven.skins[0]);
  ASSERT_TRUE(OpenSkinWindow(talon));
  InstallWithCaptions(1);
  ExpectInstalled(talon.skins[0]);
  EXPECT_EQ(ContentsOf(game()).size(), 2u);
}

TEST_F(SkinWindowInstall, PackagePathEndingInJpgIsInstalledAsAZip) {
  const ChampionEntry& sejuani = Champion("凛冬之怒");
  ASSERT_TRUE(sejuani.skins[0].package_url.view().ends_with(".jpg"));
  ASSERT_TRUE(OpenSkinWindow(sejuani));
  InstallWithCaptions(1);
  ExpectInstalled(sejuani.skins[0]);
  EXPECT_TRUE(fs::exists(game() / L"金甲猪女.zip"));
}

}  // namespace
}  // namespace lq::e2e
