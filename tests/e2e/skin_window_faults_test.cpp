// Installations that cannot complete, or that the user overtakes: downloads that bring no package,
// a game folder that cannot be written, no game directory yet, the window closed or reopened
// during a download, two installations at once. None of them may end the program, report a
// success it did not have, or leave the folder half changed.
#include <gtest/gtest.h>

#include "tests/e2e/skin_window_harness.h"
#include "tools/driver/lib/message_boxes.h"

namespace lq::e2e {
namespace {

namespace fs = std::filesystem;

// The folder as an earlier installation left it.
void PrepareInstalledFolder(const fs::path& game) {
  WriteFileBytes(game / L"悍警巨魔.zip", "the package installed before");
  WriteFileBytes(game / L"ClientZips.txt", ListNaming("悍警巨魔"));
}

// Answers every "载入成功" box as it appears until `count` were answered; false on any other box.
::testing::AssertionResult AnswerSuccesses(Program& program, int count) {
  for (int answered = 0; answered < count; ++answered) {
    std::vector<driver::MessageBoxView> boxes;
    if (!WaitUntil([&] { return !(boxes = driver::OpenMessageBoxes(program.process())).empty(); },
                   15000)) {
      return ::testing::AssertionFailure() << answered << " of " << count << " messages came";
    }
    if (boxes.front().text != L"载入成功") {
      return ::testing::AssertionFailure() << "message \"" << Utf8(boxes.front().text) << "\"";
    }
    if (!program.AnswerMessage(L"载入成功")) {
      return ::testing::AssertionFailure() << "cannot answer message " << answered + 1;
    }
  }
  return ::testing::AssertionSuccess();
}

class SkinWindowDownloadFault : public SkinWindowRoad,
                                public ::testing::WithParamInterface<const char*> {};

TEST_P(SkinWindowDownloadFault, IsReportedAndChangesNothing) {
  PrepareInstalledFolder(game());
  const FolderContents before = ContentsOf(game());
  ASSERT_TRUE(OpenSkinWindow(Champion("巨魔之王")));
  ASSERT_TRUE(download_host::SetFault(GetParam()));
  ClickLoad(2);
  EXPECT_TRUE(program().AnswerMessage(L"载入失败，请稍后再试。"));
  EXPECT_TRUE(WaitCaption(2, L"载入"));
  EXPECT_TRUE(SkinWindow() != nullptr) << "the window stays for another try";
  EXPECT_EQ(ContentsOf(game()), before);
  EXPECT_TRUE(program().NoMessage());
}

INSTANTIATE_TEST_SUITE_P(Modes, SkinWindowDownloadFault,
                         ::testing::Values("status:404", "status:503", "empty", "notzip", "drop",
                                           "cut"));

TEST_F(SkinWindowRoad, UnwritableListIsReportedAndChangesNothing) {
  PrepareInstalledFolder(game());
  const std::wstring list = (game() / L"ClientZips.txt").wstring();
  ASSERT_TRUE(SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_READONLY));
  const FolderContents before = ContentsOf(game());
  ASSERT_TRUE(OpenSkinWindow(Champion("时间刺客")));
  ClickLoad(1);
  EXPECT_TRUE(program().AnswerMessage(L"载入失败，无法写入游戏目录。"));
  EXPECT_TRUE(WaitCaption(1, L"载入"));
  EXPECT_EQ(ContentsOf(game()), before);
  SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(SkinWindowRoad, ClosingTheWindowDuringTheDownloadLetsItFinish) {
  const ChampionEntry& ekko = Champion("时间刺客");
  HWND window = OpenSkinWindow(ekko);
  ASSERT_TRUE(window);
  ASSERT_TRUE(download_host::SetFault("slow:3000"));
  ClickLoad(2);
  ASSERT_TRUE(WaitDownloadCaption(2));
  driver::CloseAsUser(window);
  ASSERT_TRUE(WaitSkinWindowGone());
  // No fatal error: the installation ends with its own message and its files.
  EXPECT_TRUE(AnswerSuccesses(program(), 1));
  ASSERT_TRUE(download_host::SetFault("none"));
  EXPECT_EQ(ReadFileBytes(PackageFile(ekko.skins[1].name.view())),
            download_host::Body(ekko.skins[1].package_url.view()));
  EXPECT_EQ(ReadFileBytes(game() / L"ClientZips.txt"), ListNaming(ekko.skins[1].name.view()));
  EXPECT_TRUE(program().Running());
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program().Main()) != FALSE; }));
  EXPECT_TRUE(program().NoMessage());
}

TEST_F(SkinWindowRoad, AnInstallationLeavesALaterWindowAlone) {
  ASSERT_TRUE(OpenSkinWindow(Champion("巨魔之王")));
  ASSERT_TRUE(download_host::SetFault("slow:3000"));
  ClickLoad(1);
  ASSERT_TRUE(WaitDownloadCaption(1));
  driver::CloseAsUser(SkinWindow());
  ASSERT_TRUE(WaitSkinWindowGone());
  // Another champion's window opens while the first installation still downloads.
  ASSERT_TRUE(OpenSkinWindow(Champion("时间刺客")));
  EXPECT_EQ(Caption(1), L"载入");
  EXPECT_TRUE(AnswerSuccesses(program(), 1));
  // Neither its captions nor a close reach the new window.
  ASSERT_TRUE(program().RoundTrip());
  EXPECT_NE(SkinWindow(), nullptr);
  EXPECT_EQ(Caption(1), L"载入");
  ASSERT_TRUE(download_host::SetFault("none"));
  EXPECT_EQ(ReadFileBytes(game() / L"ClientZips.txt"), ListNaming("悍警巨魔"));
}

TEST_F(SkinWindowRoad, TwoInstallationsAtOnceLeaveAConsistentFolder) {
  const ChampionEntry& ekko = Champion("时间刺客");
  ASSERT_TRUE(OpenSkinWindow(ekko));
  ASSERT_TRUE(download_host::SetFault("slow:2000"));
  ClickLoad(1);
  ClickLoad(3);
  ASSERT_TRUE(WaitDownloadCaption(1));
  ASSERT_TRUE(WaitDownloadCaption(3));
  // The first to finish closes the window; the other one finishes without it.
  EXPECT_TRUE(AnswerSuccesses(program(), 2));
  EXPECT_TRUE(WaitSkinWindowGone());
  ASSERT_TRUE(download_host::SetFault("none"));

  const FolderContents files = ContentsOf(game());
  EXPECT_EQ(files.size(), 3u) << "two packages and the list, nothing half written";
  const std::string list = files.at(L"ClientZips.txt");
  const bool first = list == ListNaming(ekko.skins[0].name.view());
  const bool third = list == ListNaming(ekko.skins[2].name.view());
  EXPECT_TRUE(first || third) << "the list names one of the two";
  for (int slot : {1, 3}) {
    const SkinRecord& skin = ekko.skins[slot - 1];
    EXPECT_EQ(ReadFileBytes(PackageFile(skin.name.view())),
              download_host::Body(skin.package_url.view()));
  }
  EXPECT_TRUE(program().Running());
}

// The same road without 自动获取: no game directory yet.
class SkinWindowWithoutDirectory : public SkinWindowRoad {
 protected:
  bool DiscoversDirectory() const override { return false; }
};

TEST_F(SkinWindowWithoutDirectory, LoadAsksForTheDirectoryAndWritesNothing) {
  ASSERT_TRUE(OpenSkinWindow(Champion("巨魔之王")));
  ClickLoad(1);
  EXPECT_TRUE(program().AnswerMessage(L"请先获取游戏目录。"));
  EXPECT_EQ(Caption(1), L"载入");
  EXPECT_TRUE(SkinWindow() != nullptr);
  EXPECT_TRUE(ContentsOf(game()).empty());
}

}  // namespace
}  // namespace lq::e2e
