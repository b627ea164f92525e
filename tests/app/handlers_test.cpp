// The shell's handlers against a fake platform: what they write into the main window and what
// they ask of the system, in which order.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "app/champion_buttons.h"
#include "app/game_directory.h"
#include "app/main_window.h"
#include "app/program_values.h"
#include "app/shell_handlers.h"
#include "runtime/errors/program_end.h"
#include "runtime/forms/events.h"
#include "runtime/forms/gui_queue.h"
#include "runtime/forms/unit_properties.h"
#include "skins/archive_list.h"
#include "skins/game_folder.h"
#include "skins/skin_slots.h"
#include "skins/skin_window.h"
#include "tests/app/fake_shell.h"
#include "tests/skins/support/test_folders.h"

namespace lq {
namespace {

using test::FakeShell;
using test::LoadedProgram;
using ::testing::ElementsAre;

constexpr const char* kGameDir = "D:\\Games\\英雄联盟\\Game\\";
constexpr const char* kClientPath = "D:\\Games\\英雄联盟\\Air\\LolClient.exe";

class ShellHandlers : public ::testing::Test {
 protected:
  void SetUp() override { ResetProgramValues(); }
  void TearDown() override {
    DropGuiJobs();
    ResetProgramValues();
  }

  Text Title() { return ReadTextProperty(kMainWindowId, kOwnUnit, kWindowTitle); }
  Text Field() { return ReadTextProperty(kMainWindowId, kDirectoryEdit, kEditContent); }
  void SetField(const char* text) {
    WriteTextProperty(kMainWindowId, kDirectoryEdit, kEditContent, Text(text));
  }
  void Click(UnitId button) { RaiseEvent(kMainWindowId, button, kEventClicked); }

  FakeShell shell;
  InstallationEnvironment env;
  LoadedProgram program{env};
};

// ---- 自动获取 ----

TEST_F(ShellHandlers, DiscoveryTakesTheClientsDirectory) {
  shell.AddProcess(4, "explorer.exe", "C:\\Windows\\explorer.exe");
  shell.AddProcess(8, "LolClient.exe", kClientPath);
  Click(kAutoDiscoverButton);
  EXPECT_EQ(Field(), Text(kGameDir));
  EXPECT_EQ(*GameDirectory(), Text(kGameDir));
  EXPECT_TRUE(shell.messages.empty());
  EXPECT_THAT(shell.calls, ElementsAre("module 8"));  // only the client's modules are read
}

TEST_F(ShellHandlers, DiscoveryComparesTheProcessNameExactly) {
  shell.AddProcess(8, "lolclient.exe", kClientPath);
  shell.AddProcess(9, "LolClient.EXE", kClientPath);
  Click(kAutoDiscoverButton);
  EXPECT_EQ(Field(), Text());
  EXPECT_TRUE(GameDirectory()->empty());
  EXPECT_THAT(shell.messages, ElementsAre(Text(kDiscoveryFailedMessage)));  // none found: once
}

TEST_F(ShellHandlers, DiscoveryWithoutAClientEmptiesTheFieldAndSaysSoOnce) {
  PublishGameDirectory(Text(kGameDir));
  SetField(kGameDir);
  Click(kAutoDiscoverButton);
  EXPECT_EQ(Field(), Text());
  EXPECT_EQ(*GameDirectory(), Text(kGameDir));
  EXPECT_THAT(shell.messages, ElementsAre(Text(kDiscoveryFailedMessage)));
}

TEST_F(ShellHandlers, DiscoveryHandlesEveryClientAndTheLastDecides) {
  shell.AddProcess(8, "LolClient.exe", "E:\\英雄联盟\\Air\\LolClient.exe");
  shell.AddProcess(9, "LolClient.exe", kClientPath);
  Click(kAutoDiscoverButton);
  EXPECT_EQ(Field(), Text(kGameDir));
  EXPECT_EQ(*GameDirectory(), Text(kGameDir));
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ShellHandlers, AFailingClientAfterASuccessEmptiesTheFieldButKeepsTheDirectory) {
  shell.AddProcess(8, "LolClient.exe", kClientPath);
  shell.AddProcess(9, "LolClient.exe", "D:\\LOL\\Air\\LolClient.exe");
  shell.AddProcess(10, "LolClient.exe", "");  // its path cannot be read
  Click(kAutoDiscoverButton);
  EXPECT_EQ(Field(), Text());
  EXPECT_EQ(*GameDirectory(), Text(kGameDir));
  EXPECT_THAT(shell.messages,
              ElementsAre(Text(kDiscoveryFailedMessage), Text(kDiscoveryFailedMessage)));
}

// ---- 手动获取 ----

TEST_F(ShellHandlers, PickSetsUpTheDialogAndTakesTheChosenFile) {
  shell.dialog_answers = {Text("D:\\Games\\英雄联盟\\TCLS\\Client.exe")};
  Click(kPickButton);
  EXPECT_EQ(ReadTextProperty(kMainWindowId, kFileDialog, kDialogInitialDir),
            Text("C:\\Users\\u\\Desktop\\"));
  EXPECT_EQ(ReadTextProperty(kMainWindowId, kFileDialog, kDialogFilter),
            Text("LOL游戏程序（*.exe）|*.exe|所有文件（*.*）|*.*"));
  EXPECT_THAT(shell.calls, ElementsAre("folder 3", "dialog"));
  EXPECT_EQ(Field(), Text(kGameDir));
  EXPECT_EQ(*GameDirectory(), Text(kGameDir));
}

TEST_F(ShellHandlers, AFirstCancelOrAFileElsewhereFails) {
  shell.dialog_answers = {std::nullopt, Text("C:\\Tools\\x.exe")};
  Click(kPickButton);
  EXPECT_EQ(Field(), Text());
  Click(kPickButton);
  EXPECT_EQ(Field(), Text());
  EXPECT_TRUE(GameDirectory()->empty());
  EXPECT_THAT(shell.messages, ElementsAre(Text(kPickFailedMessage), Text(kPickFailedMessage)));
}

TEST_F(ShellHandlers, ACancelAfterAPickDerivesTheEarlierFileAgain) {
  shell.dialog_answers = {Text("D:\\Games\\英雄联盟\\Client.exe"), std::nullopt};
  Click(kPickButton);
  SetField("");
  Click(kPickButton);
  EXPECT_EQ(Field(), Text(kGameDir));
  EXPECT_TRUE(shell.messages.empty());
}

TEST_F(ShellHandlers, AFailedPickKeepsTheEarlierDirectory) {
  shell.dialog_answers = {Text("D:\\Games\\英雄联盟\\Client.exe"), Text("D:\\LOL\\Client.exe")};
  Click(kPickButton);
  Click(kPickButton);
  EXPECT_EQ(Field(), Text());
  EXPECT_EQ(*GameDirectory(), Text(kGameDir));
}

// ---- 修复 ----

// The repair writes through the game folder's file steps: a folder in memory stands in for it.
class Repair : public ShellHandlers {
 protected:
  void SetUp() override {
    ShellHandlers::SetUp();
    env.open_folder = [this](const Text& directory) {
      opened.push_back(directory);
      return test::OpenFaultyFolder(test::OpenMemoryFolder(disk), faults);
    };
    disk.Put("ClientZips.txt", "list naming a skin");
    disk.Put("悍警巨魔.zip", "a package");
  }
  test::MemoryDisk disk;
  test::FaultPlan faults;
  std::vector<Text> opened;
};

TEST_F(Repair, WritesTheStockListIntoTheFieldsDirectory) {
  SetField(kGameDir);
  Click(kRepairButton);
  EXPECT_THAT(opened, ElementsAre(Text(kGameDir)));
  const auto files = disk.Contents();
  EXPECT_EQ(files.size(), 2u);  // the package stays, nothing else is left
  EXPECT_EQ(files.at("ClientZips.txt").size(), 667u);
  EXPECT_EQ(files.at("ClientZips.txt"), StockArchiveListContent().view());
  EXPECT_EQ(files.at("悍警巨魔.zip"), "a package");
  EXPECT_THAT(shell.messages, ElementsAre(Text("修复成功")));
}

TEST_F(Repair, WithAnEmptyFieldAsksForTheDirectoryEvenWhenOneWasFound) {
  PublishGameDirectory(Text(kGameDir));
  Click(kRepairButton);
  EXPECT_TRUE(opened.empty());
  EXPECT_EQ(disk.Contents().at("ClientZips.txt"), "list naming a skin");
  EXPECT_THAT(shell.messages, ElementsAre(Text("请先获取游戏目录。")));
}

TEST_F(Repair, AFailedRepairSaysSoAndKeepsTheListWhole) {
  SetField("Q:\\nowhere\\英雄联盟\\Game\\");
  faults.fail_at = 4;  // the staged list's flush (after the owner mark, the create, the write)
  Click(kRepairButton);
  EXPECT_THAT(shell.messages, ElementsAre(Text("修复失败，请检查游戏目录。")));
  EXPECT_EQ(disk.Contents().at("ClientZips.txt"), "list naming a skin");
  EXPECT_EQ(disk.Contents().size(), 2u);
}

// ---- The window's life ----

// The share page as it arrives, in UTF-8.
constexpr char8_t kSharePage[] = u8"<html><title>V3.1_免费高速下载|百度云 网盘-分享无限制</title>";

TEST_F(ShellHandlers, CreatedShowsTheWindowWithoutThePageAndTitlesItWhenThePageArrives) {
  shell.share_page = ByteSet(kSharePage, sizeof kSharePage - 1);
  RaiseEvent(kMainWindowId, kOwnUnit, kEventCreated);
  // The guard keeps its place; the page is read in the background.
  EXPECT_THAT(shell.calls, ElementsAre("own name", "guard LOLQuillet.exe", "background", "tray"));
  EXPECT_EQ(Title(), Text("Moriba  目前版本：V2.2  最新版本： 如果您不是最新版本请联系作者更新"));
  EXPECT_FALSE(ReadLogicalProperty(kMainWindowId, kTrayMenuEntry, kMenuVisible));
  EXPECT_TRUE(ReadLogicalProperty(kMainWindowId, kShowMenuItem, kMenuVisible));

  shell.RunBackgroundWork();
  EXPECT_EQ(shell.calls.back(), std::string("fetch ") + LQ_SHARE_LISTING_ADDRESS);
  EXPECT_EQ(Title(), Text("Moriba  目前版本：V2.2  最新版本： 如果您不是最新版本请联系作者更新"));
  EXPECT_EQ(RunGuiJobs(), 1u);  // the GUI thread takes the page's version
  EXPECT_EQ(Title(),
            Text("Moriba  目前版本：V2.2  最新版本：V3.1 如果您不是最新版本请联系作者更新"));
}

TEST_F(ShellHandlers, APageThatArrivesAfterTheWindowIsGoneChangesNothing) {
  shell.share_page = ByteSet(kSharePage, sizeof kSharePage - 1);
  RaiseEvent(kMainWindowId, kOwnUnit, kEventCreated);
  shell.RunBackgroundWork();
  program.UnloadMain();
  EXPECT_EQ(RunGuiJobs(), 1u);  // neither a fatal "window not loaded" nor a write
  EXPECT_FALSE(IsWindowLoaded(kMainWindowId));
}

TEST_F(ShellHandlers, MayCloseHidesToTheTrayAndRefuses) {
  const EventResult r = RaiseEvent(kMainWindowId, kOwnUnit, kEventMayClose, {}, true);
  EXPECT_TRUE(Refused(r));
  EXPECT_EQ(ReadIntegerProperty(kMainWindowId, kOwnUnit, kWindowPosition), 2);
  EXPECT_FALSE(ReadLogicalProperty(kMainWindowId, kOwnUnit, kPropVisible));
  EXPECT_THAT(shell.calls, ElementsAre("tray"));
}

TEST_F(ShellHandlers, MinimisingHidesOtherMovesDoNot) {
  WriteIntegerProperty(kMainWindowId, kOwnUnit, kWindowPosition, 0);
  RaiseEvent(kMainWindowId, kOwnUnit, kEventMoved);
  EXPECT_TRUE(ReadLogicalProperty(kMainWindowId, kOwnUnit, kPropVisible));
  WriteIntegerProperty(kMainWindowId, kOwnUnit, kWindowPosition, 2);
  RaiseEvent(kMainWindowId, kOwnUnit, kEventMoved);
  EXPECT_FALSE(ReadLogicalProperty(kMainWindowId, kOwnUnit, kPropVisible));
}

TEST_F(ShellHandlers, TrayActions) {
  auto& writes = program.main().writes;
  const std::int32_t left[] = {kTrayLeftButtonUp};
  writes.clear();
  RaiseEvent(kMainWindowId, kOwnUnit, kEventTray, left);
  // Position 1 is written, the window shown, and position 1 written again to restore it.
  ASSERT_EQ(writes.size(), 3u);
  EXPECT_EQ(writes[0].index, kWindowPosition);
  EXPECT_EQ(writes[0].value.Integer(), 1);
  EXPECT_EQ(writes[1].index, kPropVisible);
  EXPECT_TRUE(writes[1].value.Logical());
  EXPECT_EQ(writes[2].index, kWindowPosition);
  EXPECT_EQ(writes[2].value.Integer(), 1);
  EXPECT_TRUE(shell.calls.empty());

  writes.clear();
  const std::int32_t twice[] = {kTrayLeftDoubleClick};
  RaiseEvent(kMainWindowId, kOwnUnit, kEventTray, twice);
  const std::int32_t other[] = {7};
  RaiseEvent(kMainWindowId, kOwnUnit, kEventTray, other);
  EXPECT_TRUE(writes.empty());
  EXPECT_TRUE(shell.calls.empty());

  const std::int32_t right[] = {kTrayRightButtonUp};
  RaiseEvent(kMainWindowId, kOwnUnit, kEventTray, right);
  EXPECT_THAT(shell.calls, ElementsAre("popup"));
}

TEST_F(ShellHandlers, ShowRestoresAndRaisesWithoutStayingOnTop) {
  auto& writes = program.main().writes;
  writes.clear();
  RaiseEvent(kMainWindowId, kShowMenuItem, kEventSelected);
  std::vector<std::pair<int, std::int32_t>> seen;
  for (const auto& w : writes) seen.emplace_back(w.index, w.value.Integer());
  EXPECT_THAT(seen, ElementsAre(std::pair(kWindowPosition, 0), std::pair(kPropVisible, 1),
                                std::pair(kWindowPosition, 0), std::pair(kWindowTopmost, 1),
                                std::pair(kWindowTopmost, 0)));
}

// ---- Champion buttons ----

TEST_F(ShellHandlers, AChampionButtonFillsTheSlotsAndOpensTheSkinWindowOnceModally) {
  // 巨魔之王: page 5, second button.
  const ChampionEntry* entry = FindChampionButton(5, 1);
  ASSERT_NE(entry, nullptr);
  ASSERT_EQ(entry->caption, Text("巨魔之王"));
  std::vector<SkinRecord> seen;
  shell.during_load = [&seen] {
    for (int k = 1; k <= 3; ++k) seen.push_back(*ProgramSkinSlot(k).Read());
    SkinWindowDestroying();
  };
  Click(GridButtonId(5, 1));
  EXPECT_THAT(shell.calls, ElementsAre("load " + std::to_string(kSkinWindowId) + " modal"));
  ASSERT_EQ(seen.size(), 3u);
  for (int k = 0; k < 3; ++k) EXPECT_EQ(seen[k], entry->skins[k]);
  EXPECT_TRUE(ProgramSkinSlot(1).Read()->name.empty());
}

TEST_F(ShellHandlers, TheSecondBladeButtonOpensTheSkinWindowOnlyOnce) {
  // 刀锋之影, the last champion.
  ASSERT_EQ(Catalogue()[105].caption, Text("刀锋之影"));
  int openings = 0;
  shell.during_load = [&openings] {
    ++openings;
    EXPECT_FALSE(ProgramSkinSlot(1).Read()->name.empty());
    SkinWindowDestroying();
  };
  Click(GridButtonId(8, 2));
  EXPECT_EQ(openings, 1);
}

TEST_F(ShellHandlers, ButtonsWithoutACaptionDoNothing) {
  Click(GridButtonId(1, 19));
  Click(GridButtonId(7, 1));
  EXPECT_TRUE(shell.calls.empty());
}

TEST_F(ShellHandlers, ReleasingTheProgramValuesEmptiesThem) {
  PublishGameDirectory(Text(kGameDir));
  FillSkinSlots(Catalogue()[0]);
  ReleaseProgramValues(0);
  EXPECT_TRUE(GameDirectory()->empty());
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(*ProgramSkinSlot(k).Read(), SkinRecord{});
}

}  // namespace
}  // namespace lq

namespace lq {
namespace {

[[noreturn]] void ThrowExitCode(int code) { throw code; }

TEST(ExitMenu, EndsTheProgramWithCodeZeroAfterTheCleanUps) {
  ResetProgramEndState();
  SetProcessTerminator(&ThrowExitCode);
  PublishGameDirectory(Text(kGameDir));
  RegisterCleanup(&ReleaseProgramValues);
  int code = -1;
  try {
    ExitMenuClicked();
  } catch (int c) {
    code = c;
  }
  EXPECT_EQ(code, 0);
  EXPECT_TRUE(GameDirectory()->empty());
  SetProcessTerminator(nullptr);
  ResetProgramEndState();
}

}  // namespace
}  // namespace lq
