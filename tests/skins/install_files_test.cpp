// The file steps of an installation under Wine, against the local endpoint, in a scratch game
// folder: what a success writes, and that every failure leaves the folder exactly as it was.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "runtime/system/http_read.h"
#include "skins/archive_list.h"
#include "skins/game_files.h"
#include "skins/installation.h"
#include "skins/installation_environment.h"
#include "skins/zip_check.h"
#include "tests/support/endpoint_client.h"
#include "tests/support/scratch_dir.h"

namespace lq {
namespace {

namespace fs = std::filesystem;
using Snapshot = std::map<std::wstring, std::string>;  // file name -> content

std::string ReadAll(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

void WriteAll(const fs::path& path, std::string_view bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

// Every file in the folder with its bytes.
Snapshot Contents(const fs::path& folder) {
  Snapshot files;
  for (const auto& entry : fs::directory_iterator(folder)) {
    files[entry.path().filename().wstring()] =
        entry.is_regular_file() ? ReadAll(entry.path()) : "<directory>";
  }
  return files;
}

std::wstring Wide(std::string_view gbk) {
  std::wstring wide(gbk.size(), L'\0');
  const int n = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), wide.data(),
                                    static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(n));
  return wide;
}

std::string ListWithPackage(std::string_view gbk_name) {
  return std::string(ArchiveListContentWithPackage(Text(gbk_name)).view());
}

// A game folder "...\英雄联盟\Game\" in a scratch directory.
class InstallFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto endpoint = test::FixtureEndpoint();
    ASSERT_TRUE(endpoint) << "the install endpoint is not running";
    endpoint_ = *endpoint;
    game_ = scratch_.path() / L"英雄联盟" / L"Game";
    fs::create_directories(game_);
  }

  std::string GameDirectory() const { return test::GbkPath(game_) + "\\"; }
  std::string Url(std::string_view path) const { return endpoint_->Url(path); }

  InstallationInputs Inputs(std::string_view path, std::string_view gbk_name) const {
    return {Text(Url(path)), Text(gbk_name), Text(GameDirectory())};
  }

  // The body the endpoint sends for `path`, fetched on its own.
  std::string Body(std::string_view path) const {
    return std::string(HttpRead(Text(Url(path))).view());
  }

  const InstallationEnvironment env_ = SystemInstallationEnvironment();
  test::ScratchDir scratch_{"install"};
  fs::path game_;
  std::optional<test::TestEndpoint> endpoint_;
};

TEST_F(InstallFiles, SuccessWritesThePackageAndTheList) {
  int writing_calls = 0;
  const InstallationResult result =
      InstallSkinPackage(env_, Inputs("/install/zip/300k/trundle.zip", "悍警巨魔"),
                         [&](std::string_view caption) { writing_calls += caption == "正在写入"; });
  ASSERT_EQ(result, InstallationResult::kInstalled);
  EXPECT_EQ(writing_calls, 1);

  const Snapshot files = Contents(game_);
  ASSERT_EQ(files.size(), 2u) << "no temporary file may stay behind";
  ASSERT_TRUE(files.contains(L"悍警巨魔.zip"));
  ASSERT_TRUE(files.contains(L"ClientZips.txt"));
  EXPECT_EQ(files.at(L"悍警巨魔.zip"), Body("/install/zip/300k/trundle.zip"));
  const std::string list = files.at(L"ClientZips.txt");
  EXPECT_EQ(list, ListWithPackage("悍警巨魔"));
  EXPECT_EQ(list.size(), 673u + std::string_view("悍警巨魔").size());
  EXPECT_TRUE(list.ends_with("\r\nYasuo.zip\r\n悍警巨魔.zip"));
}

TEST_F(InstallFiles, ReplacesEarlierFilesAndKeepsOtherPackages) {
  WriteAll(game_ / L"悍警巨魔.zip", "an older package");
  WriteAll(game_ / L"冠军皮肤.zip", "another skin's package");
  WriteAll(game_ / L"ClientZips.txt", std::string(StockArchiveListContent().view()));
  ASSERT_EQ(InstallSkinPackage(env_, Inputs("/install/zip/5k/a.zip", "悍警巨魔")),
            InstallationResult::kInstalled);
  const Snapshot files = Contents(game_);
  EXPECT_EQ(files.size(), 3u);
  EXPECT_EQ(files.at(L"悍警巨魔.zip"), Body("/install/zip/5k/a.zip"));
  EXPECT_EQ(files.at(L"冠军皮肤.zip"), "another skin's package");
  EXPECT_EQ(files.at(L"ClientZips.txt"), ListWithPackage("悍警巨魔"));

  // A second skin: its package is listed, the first one's file stays unlisted.
  ASSERT_EQ(InstallSkinPackage(env_, Inputs("/install/zip/7k/b.zip", "SKT薇恩")),
            InstallationResult::kInstalled);
  const Snapshot after = Contents(game_);
  EXPECT_EQ(after.size(), 4u);
  EXPECT_EQ(after.at(L"悍警巨魔.zip"), Body("/install/zip/5k/a.zip"));
  EXPECT_EQ(after.at(L"SKT薇恩.zip"), Body("/install/zip/7k/b.zip"));
  EXPECT_EQ(after.at(L"ClientZips.txt"), ListWithPackage("SKT薇恩"));
}

// Downloads that bring no package: nothing in the folder changes.
class InstallFilesNoPackage : public InstallFiles,
                              public ::testing::WithParamInterface<const char*> {};

TEST_P(InstallFilesNoPackage, LeavesTheFolderAsItWas) {
  WriteAll(game_ / L"悍警巨魔.zip", Body("/install/zip/2k/old.zip"));
  WriteAll(game_ / L"ClientZips.txt", ListWithPackage("悍警巨魔"));
  const Snapshot before = Contents(game_);
  bool writing = false;
  EXPECT_EQ(InstallSkinPackage(env_, Inputs(GetParam(), "悍警巨魔"),
                               [&](std::string_view caption) { writing |= caption == "正在写入"; }),
            InstallationResult::kNoPackage);
  EXPECT_FALSE(writing);
  EXPECT_EQ(Contents(game_), before);
}

INSTANTIATE_TEST_SUITE_P(Faults, InstallFilesNoPackage,
                         ::testing::Values("/fault/status/404",         // HTML error page
                                           "/fault/status/500",         // server error page
                                           "/fault/empty",              // 200, no bytes
                                           "/fault/pattern/64k",        // 200, no zip
                                           "/install/drop/300k/a.zip",  // connection dropped
                                           "/install/cut/300k/a.zip",   // end of the zip missing
                                           "/fault/redirect/302/fault/status/404"));

TEST_F(InstallFiles, UnreachableHostIsNoPackage) {
  WriteAll(game_ / L"ClientZips.txt", "list");
  const Snapshot before = Contents(game_);
  InstallationInputs inputs = Inputs("/", "悍警巨魔");
  inputs.package_url = Text("http://127.0.0.1:1/lolbf/pf/x.zip");
  EXPECT_EQ(InstallSkinPackage(env_, inputs), InstallationResult::kNoPackage);
  EXPECT_EQ(Contents(game_), before);
}

TEST_F(InstallFiles, RefusesWithoutGameDirectoryOrName) {
  InstallationInputs inputs = Inputs("/install/zip/1k/a.zip", "悍警巨魔");
  inputs.game_directory = Text();
  EXPECT_EQ(InstallSkinPackage(env_, inputs), InstallationResult::kNoGameDirectory);

  const Snapshot before = Contents(game_);
  EXPECT_EQ(InstallSkinPackage(env_, Inputs("/install/zip/1k/a.zip", "")),
            InstallationResult::kNoPackage);
  EXPECT_EQ(InstallSkinPackage(env_, Inputs("/install/zip/1k/a.zip", "..\\..\\x")),
            InstallationResult::kNoPackage);
  InstallationInputs no_url = Inputs("/", "悍警巨魔");
  no_url.package_url = Text();
  EXPECT_EQ(InstallSkinPackage(env_, no_url), InstallationResult::kNoPackage);
  EXPECT_EQ(Contents(game_), before);
}

TEST_F(InstallFiles, GameDirectoryThatIsAFile) {
  const fs::path file = scratch_.path() / L"英雄联盟" / L"Game2";
  WriteAll(file, "not a directory");
  InstallationInputs inputs = Inputs("/install/zip/4k/a.zip", "悍警巨魔");
  inputs.game_directory = Text(test::GbkPath(file) + "\\");
  EXPECT_EQ(InstallSkinPackage(env_, inputs), InstallationResult::kWriteFailed);
  EXPECT_EQ(ReadAll(file), "not a directory");
}

TEST_F(InstallFiles, MissingGameDirectoryIsNotCreated) {
  InstallationInputs inputs = Inputs("/install/zip/4k/a.zip", "悍警巨魔");
  inputs.game_directory = Text(test::GbkPath(scratch_.path() / L"nowhere" / L"Game") + "\\");
  EXPECT_EQ(InstallSkinPackage(env_, inputs), InstallationResult::kWriteFailed);
  EXPECT_FALSE(fs::exists(scratch_.path() / L"nowhere"));
}

// A list that cannot be replaced: the package file is put back as it was.
TEST_F(InstallFiles, ReadOnlyListLeavesBothFilesAsTheyWere) {
  WriteAll(game_ / L"悍警巨魔.zip", "the package before");
  WriteAll(game_ / L"ClientZips.txt", ListWithPackage("悍警巨魔"));
  const std::wstring list = (game_ / L"ClientZips.txt").wstring();
  ASSERT_TRUE(SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_READONLY));
  const Snapshot before = Contents(game_);

  EXPECT_EQ(InstallSkinPackage(env_, Inputs("/install/zip/4k/a.zip", "悍警巨魔")),
            InstallationResult::kWriteFailed);
  EXPECT_EQ(Contents(game_), before);
  // A new name: its package must not stay behind either.
  EXPECT_EQ(InstallSkinPackage(env_, Inputs("/install/zip/4k/a.zip", "金甲猪女")),
            InstallationResult::kWriteFailed);
  EXPECT_EQ(Contents(game_), before);
  SetFileAttributesW(list.c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST_F(InstallFiles, ReadOnlyPackageIsNotReplaced) {
  WriteAll(game_ / L"悍警巨魔.zip", "kept on purpose");
  WriteAll(game_ / L"ClientZips.txt", "list");
  const std::wstring package = (game_ / L"悍警巨魔.zip").wstring();
  ASSERT_TRUE(SetFileAttributesW(package.c_str(), FILE_ATTRIBUTE_READONLY));
  const Snapshot before = Contents(game_);
  EXPECT_EQ(InstallSkinPackage(env_, Inputs("/install/zip/4k/a.zip", "悍警巨魔")),
            InstallationResult::kWriteFailed);
  EXPECT_EQ(Contents(game_), before);
  SetFileAttributesW(package.c_str(), FILE_ATTRIBUTE_NORMAL);
}

// A list held open by another program without sharing cannot be replaced either.
TEST_F(InstallFiles, ListInUseLeavesBothFilesAsTheyWere) {
  WriteAll(game_ / L"ClientZips.txt", "list in use");
  const Snapshot before = Contents(game_);
  HANDLE held = CreateFileW((game_ / L"ClientZips.txt").wstring().c_str(), GENERIC_READ, 0, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  EXPECT_EQ(InstallSkinPackage(env_, Inputs("/install/zip/4k/a.zip", "金甲猪女")),
            InstallationResult::kWriteFailed);
  CloseHandle(held);
  EXPECT_EQ(Contents(game_), before);
}

// Several installations at once: the list names one of them, and that package is whole.
TEST_F(InstallFiles, ConcurrentInstallationsLeaveAConsistentFolder) {
  const std::vector<std::pair<std::string, std::string>> skins = {
      {"悍警巨魔", "/install/zip/900k/a.zip"},
      {"金甲猪女", "/install/zip/300k/b.zip"},
      {"冠军皮肤", "/install/zip/600k/c.zip"},
      {"冠军皮肤", "/install/zip/100k/d.zip"},
      {"SKT薇恩", "/install/zip/50k/e.zip"}};
  std::map<std::string, std::vector<std::string>> bodies;  // name -> what may be in its file
  for (const auto& [name, path] : skins) {
    bodies[name].push_back(Body(path));
  }
  for (int round = 0; round < 3; ++round) {
    std::vector<std::thread> threads;
    std::vector<InstallationResult> results(skins.size());
    for (std::size_t i = 0; i < skins.size(); ++i) {
      threads.emplace_back([&, i] {
        results[i] = InstallSkinPackage(env_, Inputs(skins[i].second, skins[i].first));
      });
    }
    for (auto& t : threads) {
      t.join();
    }
    for (InstallationResult r : results) {
      EXPECT_EQ(r, InstallationResult::kInstalled);
    }
    const Snapshot files = Contents(game_);
    EXPECT_EQ(files.size(), bodies.size() + 1) << "no temporary file may stay behind";
    const std::string list = files.at(L"ClientZips.txt");
    const std::string last = list.substr(list.rfind("\r\n") + 2);
    ASSERT_TRUE(last.ends_with(".zip"));
    const std::string listed = last.substr(0, last.size() - 4);
    ASSERT_TRUE(bodies.contains(listed)) << listed;
    EXPECT_EQ(list, ListWithPackage(listed));
    for (const auto& [name, possible] : bodies) {
      const std::wstring file = Wide(name + ".zip");
      ASSERT_TRUE(files.contains(file));
      EXPECT_TRUE(std::ranges::find(possible, files.at(file)) != possible.end()) << name;
    }
  }
}

// A mark on the real file system: held, it can be neither deleted nor renamed, by this process or
// another, and nobody else can hold it; let go, it is gone.
TEST_F(InstallFiles, AHeldMarkResistsDeletionAndGoesWhenLetGo) {
  const std::unique_ptr<GameFolder> folder = env_.open_folder(Text(GameDirectory()));
  ASSERT_TRUE(folder);
  const std::wstring path = (game_ / L"标记.lock").wstring();
  std::unique_ptr<HeldFile> held = folder->Hold("标记.lock");
  ASSERT_TRUE(held);
  EXPECT_FALSE(folder->Hold("标记.lock"));
  EXPECT_EQ(folder->Find("标记.lock"), FolderEntry::kFile);
  EXPECT_FALSE(DeleteFileW(path.c_str()));
  EXPECT_FALSE(MoveFileExW(path.c_str(), (game_ / L"moved").wstring().c_str(), 0));
  EXPECT_FALSE(env_.open_folder(Text(GameDirectory()))->Delete("标记.lock"));
  EXPECT_TRUE(fs::exists(path));
  held.reset();
  EXPECT_FALSE(fs::exists(path));
  EXPECT_FALSE(fs::exists(game_ / L"moved"));
}

// Leftovers on the real file system. A copy that runs holds its mark (here this test holds it,
// opened as any program would open it to keep it: without delete sharing); its files stay, a kept
// package that is a second link of a file made long before included. The files of a copy that
// has ended are resolved, and so are the running copy's once it lets its mark go.
TEST_F(InstallFiles, LeftoversAreResolvedOnceTheirOwnerHasEnded) {
  const std::string running = ".LOLQuillet-4294967290-0000aaaa";
  const std::string ended = ".LOLQuillet-4294967291-0000bbbb";
  WriteAll(game_ / L"悍警巨魔.zip", "the package before");
  ASSERT_TRUE(CreateHardLinkW((game_ / Wide(running + "-1.old.悍警巨魔.zip")).wstring().c_str(),
                              (game_ / L"悍警巨魔.zip").wstring().c_str(), nullptr));
  WriteAll(game_ / Wide(running + "-2.part"), "staged by a copy that runs");
  WriteAll(game_ / Wide(ended + ".lock"), "");  // its machine went down: nobody holds it
  WriteAll(game_ / Wide(ended + "-1.part"), "staged by a copy that ended");
  WriteAll(game_ / Wide(ended + "-2.old.金甲猪女.zip"), "kept, its target gone");
  WriteAll(game_ / L"ClientZips.txt", "list");
  const std::wstring mark = (game_ / Wide(running + ".lock")).wstring();
  HANDLE held = CreateFileW(mark.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                            CREATE_NEW, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  ResolveGameFolderLeftovers(env_.open_folder, Text(GameDirectory()));
  EXPECT_EQ(Contents(game_), (Snapshot{
                                 {L"悍警巨魔.zip", "the package before"},
                                 {Wide(running + "-1.old.悍警巨魔.zip"), "the package before"},
                                 {Wide(running + "-2.part"), "staged by a copy that runs"},
                                 {Wide(running + ".lock"), ""},
                                 {L"金甲猪女.zip", "kept, its target gone"},
                                 {L"ClientZips.txt", "list"},
                             }));

  CloseHandle(held);
  ResolveGameFolderLeftovers(env_.open_folder, Text(GameDirectory()));
  EXPECT_EQ(Contents(game_), (Snapshot{
                                 {L"悍警巨魔.zip", "the package before"},
                                 {L"金甲猪女.zip", "kept, its target gone"},
                                 {L"ClientZips.txt", "list"},
                             }));
}

}  // namespace
}  // namespace lq
