// 自动获取, 手动获取 and 修复 against real processes, a real open-file dialog and real files. These
// tests start LolClient.exe stand-ins or rely on none running, so they hold a lock (CMake) and run
// one at a time.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "skins/archive_list.h"
#include "tests/e2e/main_window_harness.h"

namespace lq::e2e {
namespace {

constexpr const wchar_t* kNotRunning = L"未运行游戏,或读取失败,请手动获取。";
constexpr const wchar_t* kNotGameFolder =
    L"这不是英雄联盟目录哦，请在英雄联盟游戏目录内随便选择个程序。";

// The game directory that a path inside a 英雄联盟 folder gives.
std::wstring GameDirOf(const std::wstring& path) {
  const auto at = path.find(L"\\英雄联盟\\");
  return at == std::wstring::npos ? L"" : path.substr(0, at) + L"\\英雄联盟\\Game\\";
}

class MainWindowDirectory : public ProgramCopyTest {
 protected:
  void SetUp() override {
    ProgramCopyTest::SetUp();
    const std::vector<std::wstring> running = GameClientsInListOrder();
    std::string paths;
    for (const std::wstring& p : running) paths.append(1, ' ').append(Utf8(p));
    ASSERT_TRUE(running.empty()) << "a LolClient.exe is running already:" << paths;
  }

  // A stand-in started from <scratch>\<folder>\LolClient.exe.
  std::unique_ptr<Standin> StartClient(const std::wstring& folder) {
    const auto path = scratch.path() / folder / L"LolClient.exe";
    CopyStandin(path);
    auto standin = std::make_unique<Standin>(path);
    EXPECT_TRUE(WaitUntil([&] { return !GameClientsInListOrder().empty(); }));
    return standin;
  }

  // Works the open-file dialog that 手动获取 opens: types `path` into the file name box and opens
  // it, or cancels when `path` is empty.
  ::testing::AssertionResult Pick(Program& program, const std::wstring& path) {
    driver::Click(program.Control(kPickButton));
    HWND dialog = nullptr;
    HWND name = nullptr;
    const bool open = WaitUntil([&] {
      for (HWND top : program.process().TopLevelWindows()) {
        if (driver::ClassOf(top) != L"#32770" || !IsWindowVisible(top)) continue;
        for (int id : {0x47c, 0x480}) {  // the file name combo box, or an edit box
          if (HWND box = GetDlgItem(top, id)) {
            dialog = top;
            name = box;
            return true;
          }
        }
      }
      return false;
    });
    if (!open) return ::testing::AssertionFailure() << "no open-file dialog";
    // The dialog's own button: its file list, deeper down, may use id 1 too.
    HWND button = GetDlgItem(dialog, path.empty() ? IDCANCEL : IDOK);
    if (!button) return ::testing::AssertionFailure() << "the dialog has no button";
    if (!path.empty() && !driver::WriteText(name, path)) {
      return ::testing::AssertionFailure() << "cannot type the file name";
    }
    driver::Click(button);
    if (!WaitUntil([&] { return !IsWindow(dialog) || !IsWindowVisible(dialog); })) {
      return ::testing::AssertionFailure() << "the dialog stayed open";
    }
    return ::testing::AssertionSuccess();
  }

  std::filesystem::path MakeFile(const std::wstring& relative) {
    const auto path = scratch.path() / relative;
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << "x";
    return path;
  }
};

TEST_F(MainWindowDirectory, DiscoveryReadsTheClientsFolder) {
  const auto client = StartClient(L"英雄联盟\\Air");
  Program program(exe);
  driver::Click(program.Control(kAutoButton));
  const std::wstring expected = GameDirOf(GameClientsInListOrder().at(0));
  ASSERT_FALSE(expected.empty());
  EXPECT_TRUE(WaitUntil([&] { return program.Text(kDirectoryEdit) == expected; }))
      << "shows " << program.Text(kDirectoryEdit).size() << " characters";
  EXPECT_TRUE(program.NoMessage());
}

TEST_F(MainWindowDirectory, DiscoveryOutsideAGameFolderFails) {
  const auto client = StartClient(L"LOL\\Air");
  Program program(exe);
  driver::Click(program.Control(kAutoButton));
  EXPECT_TRUE(program.AnswerMessage(kNotRunning));
  EXPECT_EQ(program.Text(kDirectoryEdit), L"");
  EXPECT_TRUE(program.NoMessage());
}

TEST_F(MainWindowDirectory, WithTwoClientsTheLastListedDecides) {
  const auto a = StartClient(L"一\\英雄联盟\\Air");
  const auto b = StartClient(L"二\\英雄联盟\\Air");
  ASSERT_TRUE(WaitUntil([] { return GameClientsInListOrder().size() == 2; }));
  Program program(exe);
  driver::Click(program.Control(kAutoButton));
  const std::wstring expected = GameDirOf(GameClientsInListOrder().back());
  EXPECT_TRUE(WaitUntil([&] { return program.Text(kDirectoryEdit) == expected; }));
  EXPECT_TRUE(program.NoMessage());
}

TEST_F(MainWindowDirectory, NoClientGivesTheMessageOnce) {
  Program program(exe);
  driver::Click(program.Control(kAutoButton));
  EXPECT_TRUE(program.AnswerMessage(kNotRunning));
  EXPECT_TRUE(program.NoMessage());
  EXPECT_EQ(program.Text(kDirectoryEdit), L"");
}

TEST_F(MainWindowDirectory, PickingAProgramInsideTheGameFolder) {
  const auto inTcls = MakeFile(L"英雄联盟\\TCLS\\Client.exe");
  const auto direct = MakeFile(L"英雄联盟\\Launcher.exe");
  const std::wstring expected = GameDirOf(inTcls.native());
  Program program(exe);
  ASSERT_TRUE(Pick(program, inTcls.native()));
  EXPECT_TRUE(WaitUntil([&] { return program.Text(kDirectoryEdit) == expected; }));
  ASSERT_TRUE(Pick(program, direct.native()));
  EXPECT_TRUE(WaitUntil([&] { return program.Text(kDirectoryEdit) == expected; }));
  EXPECT_TRUE(program.NoMessage());
}

TEST_F(MainWindowDirectory, AFirstCancelOrAFileElsewhereFails) {
  const auto elsewhere = MakeFile(L"其他\\x.exe");
  const auto game = MakeFile(L"英雄联盟\\TCLS\\Client.exe");
  Program program(exe);
  ASSERT_TRUE(Pick(program, L""));
  EXPECT_TRUE(program.AnswerMessage(kNotGameFolder));
  EXPECT_EQ(program.Text(kDirectoryEdit), L"");
  ASSERT_TRUE(Pick(program, game.native()));
  EXPECT_TRUE(WaitUntil([&] { return !program.Text(kDirectoryEdit).empty(); }));
  ASSERT_TRUE(Pick(program, elsewhere.native()));
  EXPECT_TRUE(program.AnswerMessage(kNotGameFolder));
  EXPECT_EQ(program.Text(kDirectoryEdit), L"");
}

TEST_F(MainWindowDirectory, RepairWritesTheStockListIntoARealDirectory) {
  std::filesystem::create_directories(scratch.path() / L"英雄联盟\\Game");
  const auto client = StartClient(L"英雄联盟\\Air");
  Program program(exe);
  driver::Click(program.Control(kAutoButton));
  ASSERT_TRUE(WaitUntil([&] { return !program.Text(kDirectoryEdit).empty(); }));
  driver::Click(program.Control(kRepairButton));
  EXPECT_TRUE(program.AnswerMessage(L"修复成功"));
  std::ifstream in(scratch.path() / L"英雄联盟\\Game\\ClientZips.txt", std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), {}};
  EXPECT_EQ(bytes.size(), 667u);
  EXPECT_EQ(bytes, std::string(StockArchiveListContent().view()));
}

TEST_F(MainWindowDirectory, RepairIntoAMissingDirectoryFailsAndWritesNothing) {
  const auto client = StartClient(L"英雄联盟\\Air");  // no Game folder beside it
  Program program(exe);
  driver::Click(program.Control(kAutoButton));
  ASSERT_TRUE(WaitUntil([&] { return !program.Text(kDirectoryEdit).empty(); }));
  driver::Click(program.Control(kRepairButton));
  EXPECT_TRUE(program.AnswerMessage(L"修复失败，请检查游戏目录。"));
  EXPECT_FALSE(std::filesystem::exists(scratch.path() / L"英雄联盟\\Game"));
}

TEST_F(MainWindowDirectory, RepairAfterAFailedSearchAsksForTheDirectoryAgain) {
  auto client = StartClient(L"英雄联盟\\Air");
  Program program(exe);
  driver::Click(program.Control(kAutoButton));
  ASSERT_TRUE(WaitUntil([&] { return !program.Text(kDirectoryEdit).empty(); }));
  client.reset();  // the client ends: the next search finds none and empties the field
  ASSERT_TRUE(WaitUntil([] { return GameClientsInListOrder().empty(); }));
  driver::Click(program.Control(kAutoButton));
  EXPECT_TRUE(program.AnswerMessage(kNotRunning));
  driver::Click(program.Control(kRepairButton));
  EXPECT_TRUE(program.AnswerMessage(L"请先获取游戏目录。"));
}

}  // namespace
}  // namespace lq::e2e
