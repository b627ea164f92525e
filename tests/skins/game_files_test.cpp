// Installation and repair over a folder in memory whose steps fail on demand, with a download
// that streams a package built here: whatever step fails, the folder holds its old state or its
// new state, the result says which, and what is left over is resolved by the next operation.
#include "skins/game_files.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <map>
#include <string>
#include <thread>
#include <vector>

#include "skins/archive_list.h"
#include "skins/installation.h"
#include "tests/skins/support/test_folders.h"
#include "tests/skins/support/test_zip.h"

namespace lq {
namespace {

using Files = std::map<std::string, std::string>;

constexpr const char* kName = "悍警巨魔";
constexpr const char* kPackage = "悍警巨魔.zip";
constexpr const char* kList = "ClientZips.txt";

std::string AsString(const test::Bytes& b) { return std::string(b.begin(), b.end()); }
std::string List(std::string_view name) {
  return std::string(ArchiveListContentWithPackage(Text(name)).view());
}
std::string StockList() { return std::string(StockArchiveListContent().view()); }

// What the fake download serves.
struct Served {
  int status = 200;
  std::string body;
  TransferEnd end = TransferEnd::kComplete;
  bool announce_length = true;
};

test::MemoryDisk* g_disk = nullptr;
test::FaultPlan* g_plan = nullptr;
Served* g_served = nullptr;

std::unique_ptr<GameFolder> OpenTestFolder(const Text&) {
  return test::OpenFaultyFolder(test::OpenMemoryFolder(*g_disk), *g_plan);
}

// The body in three pieces, as a network delivers it.
TransferEnd ServeDownload(const Text&, BodySink& sink) {
  const std::string& body = g_served->body;
  ResponseHead head;
  head.status = g_served->status;
  if (g_served->announce_length) head.length = body.size();
  if (!sink.Begin(head)) {
    return TransferEnd::kStopped;
  }
  const std::size_t piece = body.size() / 3 + 1;
  for (std::size_t at = 0; at < body.size(); at += piece) {
    const std::string_view part = std::string_view(body).substr(at, piece);
    if (!sink.Take({reinterpret_cast<const std::uint8_t*>(part.data()), part.size()})) {
      return TransferEnd::kStopped;
    }
  }
  return g_served->end;
}

// The files a user sees: the program's temporary files left out.
Files Visible(test::MemoryDisk& disk) {
  Files files = disk.Contents();
  std::erase_if(files, [](const auto& f) { return f.first.starts_with(".LOLQuillet-"); });
  return files;
}

class GameFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    g_disk = &disk_;
    g_plan = &plan_;
    g_served = &served_;
    env_.open_folder = &OpenTestFolder;
    env_.download = &ServeDownload;
    served_.body = AsString(test::BuildZip({{"skin/model.bin", std::string(3000, 'm'), true},
                                            {"skin/readme.txt", "悍警巨魔", false}})
                                .bytes);
  }
  InstallationResult Install(std::string_view name = kName,
                             std::vector<std::string>* captions = nullptr) {
    return InstallSkinPackage(
        env_, {Text("http://host/lolbf/pf/a.zip"), Text(name), Text("D:\\英雄联盟\\Game\\")},
        [captions](std::string_view c) {
          if (captions) captions->emplace_back(c);
        });
  }
  bool Repair() { return WriteStockArchiveList(env_, Text("D:\\英雄联盟\\Game\\")); }

  void Reset(const Files& files) {
    std::lock_guard lock(disk_.mutex);
    disk_.files.clear();
    for (const auto& [name, content] : files) {
      disk_.files[name] = std::make_shared<std::string>(content);
    }
  }

  test::MemoryDisk disk_;
  test::FaultPlan plan_;
  Served served_;
  InstallationEnvironment env_;
};

TEST_F(GameFiles, EveryFailingStepLeavesTheOldOrTheNewState) {
  struct Case {
    const char* what;
    Files before;
    bool repair;
  };
  const Files with_package = {
      {kPackage, "the package before"}, {"冠军皮肤.zip", "another"}, {kList, List("冠军皮肤")}};
  const Files without_package = {{"冠军皮肤.zip", "another"}, {kList, List("冠军皮肤")}};
  const std::vector<Case> cases = {{"replacing a package", with_package, false},
                                   {"a new package", without_package, false},
                                   {"repair", with_package, true}};
  for (const Case& c : cases) {
    Files after = c.before;
    if (c.repair) {
      after[kList] = StockList();
    } else {
      after[kPackage] = served_.body;
      after[kList] = List(kName);
    }
    for (bool links : {true, false}) {
      for (bool sticky : {false, true}) {
        // A run without faults counts the steps.
        disk_.links = links;
        Reset(c.before);
        plan_.fail_at = 0;
        plan_.steps = 0;
        ASSERT_TRUE(c.repair ? Repair() : Install() == InstallationResult::kInstalled);
        const int steps = plan_.steps;
        ASSERT_GT(steps, 3) << c.what;
        for (int n = 1; n <= steps; ++n) {
          SCOPED_TRACE(::testing::Message() << c.what << (links ? ", links" : ", no links")
                                            << (sticky ? ", every step from " : ", step ") << n);
          Reset(c.before);
          plan_.fail_at = n;
          plan_.sticky = sticky;
          plan_.steps = 0;
          if (c.repair) {
            EXPECT_EQ(Visible(disk_), Repair() ? after : c.before);
          } else {
            const InstallationResult result = Install();
            switch (result) {
              case InstallationResult::kInstalled:
                EXPECT_EQ(Visible(disk_), after);
                break;
              case InstallationResult::kWriteFailed:
                EXPECT_EQ(Visible(disk_), c.before);
                break;
              case InstallationResult::kNotRestored:
                // Only a folder that fails every step from one on keeps the package from coming
                // back, and the message sends the user to the repair.
                EXPECT_TRUE(sticky);
                EXPECT_NE(InstallationMessage(result).find("修复"), std::string_view::npos);
                break;
              default:
                ADD_FAILURE() << "result " << static_cast<int>(result);
            }
          }
          // The next operation on a sound folder succeeds and leaves nothing of its own behind.
          plan_.fail_at = 0;
          ASSERT_TRUE(c.repair ? Repair() : Install() == InstallationResult::kInstalled);
          EXPECT_EQ(disk_.Contents(), after);
        }
      }
    }
  }
}

// Error pages, non-zips and broken connections are covered against the endpoint under Wine; here,
// what only a fake download can bring: a whole transfer of a package damaged on the way, and a
// stalled one.
TEST_F(GameFiles, DownloadsThatBringNoWholePackageChangeNothing) {
  std::string varied(5000, '\0');
  for (std::size_t i = 0; i < varied.size(); ++i) varied[i] = static_cast<char>(i * i % 251);
  const test::BuiltZip zip = test::BuildZip({{"skin/model.bin", varied, true}});
  std::string damaged = AsString(zip.bytes);
  damaged[zip.data_offsets[0] + 100] ^= 0x40;

  const Files before = {{kPackage, "the package before"}, {kList, List(kName)}};
  for (const Served& served : {Served{200, damaged, TransferEnd::kComplete, true},
                               Served{200, served_.body, TransferEnd::kStalled, false}}) {
    Reset(before);
    served_ = served;
    EXPECT_EQ(Install(), InstallationResult::kNoPackage);
    EXPECT_EQ(disk_.Contents(), before);
  }
}

TEST_F(GameFiles, ProgressIsShownOnlyWhenItsTextChanges) {
  std::vector<std::string> captions;
  ASSERT_EQ(Install(kName, &captions), InstallationResult::kInstalled);
  const std::uint64_t size = served_.body.size();
  const std::uint64_t piece = size / 3 + 1;
  EXPECT_EQ(captions, (std::vector<std::string>{
                          DownloadCaption(0, size), DownloadCaption(piece, size),
                          DownloadCaption(2 * piece, size), "正在下载 100%", "正在写入"}));
  // Pieces too small to change the figure change nothing.
  served_.announce_length = false;
  captions.clear();
  ASSERT_EQ(Install(kName, &captions), InstallationResult::kInstalled);
  EXPECT_EQ(captions, (std::vector<std::string>{"正在下载 0.0MB", "正在写入"}));

  struct Case {
    std::uint64_t received;
    std::optional<std::uint64_t> length;
    const char* caption;
  };
  const std::vector<Case> cases = {
      {0, 200, "正在下载 0%"},
      {74, 200, "正在下载 37%"},
      {199, 200, "正在下载 99%"},
      {200, 200, "正在下载 100%"},
      {(1ull << 40) - 1, 1ull << 40, "正在下载 99%"},
      {0, std::nullopt, "正在下载 0.0MB"},
      {12'897'485, std::nullopt, "正在下载 12.3MB"},
      {1'048'575, std::nullopt, "正在下载 0.9MB"},
      {5, 0, "正在下载 0.0MB"},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(DownloadCaption(c.received, c.length), c.caption) << c.received;
  }
}

TEST_F(GameFiles, LeftoversOfOtherProcessesAreResolvedUnlessTheyRun) {
  disk_.running = {88};
  const std::string own = std::to_string(disk_.process_id);
  Reset({
      {".LOLQuillet-77-1.part", "staged by a killed copy"},
      {".LOLQuillet-77-2.old.a.zip", "a set aside, its original missing"},
      {".LOLQuillet-77-3.old.b.zip", "b set aside"},
      {"b.zip", "b replaced"},
      {".LOLQuillet-88-1.part", "staged by a copy that runs"},
      {".LOLQuillet-88-2.old.c.zip", "set aside by a copy that runs"},
      {".LOLQuillet-" + own + "-9.part", "an earlier failure of this process"},
      {".LOLQuillet-x.part", "not a name of ours"},
      {kList, "list"},
  });
  ASSERT_EQ(Install("新皮肤"), InstallationResult::kInstalled);
  EXPECT_EQ(disk_.Contents(), (Files{
                                  {"a.zip", "a set aside, its original missing"},
                                  {"b.zip", "b replaced"},
                                  {".LOLQuillet-88-1.part", "staged by a copy that runs"},
                                  {".LOLQuillet-88-2.old.c.zip", "set aside by a copy that runs"},
                                  {".LOLQuillet-x.part", "not a name of ours"},
                                  {"新皮肤.zip", served_.body},
                                  {kList, List("新皮肤")},
                              }));

  struct Name {
    const char* name;
    bool ours;
    bool set_aside;
    const char* target;
  };
  const std::vector<Name> names = {
      {".LOLQuillet-12-0.part", true, false, ""},
      {".LOLQuillet-12-0.old.悍警巨魔.zip", true, true, "悍警巨魔.zip"},
      {".LOLQuillet-12-0.old.", false, false, ""},
      {".LOLQuillet-12-0.old.a\\b.zip", false, false, ""},
      {".LOLQuillet-12.part", false, false, ""},
      {".LOLQuillet--1-0.part", false, false, ""},
      {".LOLQuillet-99999999999-0.part", false, false, ""},
      {".LOLQuillet-12-0.partial", false, false, ""},
      {"悍警巨魔.zip", false, false, ""},
  };
  for (const Name& n : names) {
    const std::optional<TemporaryName> parsed = ParseTemporaryName(n.name);
    ASSERT_EQ(parsed.has_value(), n.ours) << n.name;
    if (parsed) {
      EXPECT_EQ(parsed->set_aside, n.set_aside) << n.name;
      EXPECT_EQ(parsed->target, n.target) << n.name;
    }
  }
}

// An undo whose putting back fails keeps the previous file, and resolving leftovers later puts
// it back.
TEST_F(GameFiles, AFailedUndoKeepsThePreviousFileForLater) {
  for (bool links : {true, false}) {
    disk_.links = links;
    Reset({{kPackage, "the package before"}});
    const std::unique_ptr<GameFolder> folder = OpenTestFolder(Text());
    SetAside previous(*folder);
    plan_.steps = 0;
    ASSERT_TRUE(previous.Take(kPackage));  // the link, or the move
    disk_.Put(kPackage, "the replacement");
    plan_.fail_at = plan_.steps + 1;  // the move back
    EXPECT_FALSE(previous.Restore());
    plan_.fail_at = 0;
    EXPECT_FALSE(Visible(disk_).contains(kPackage));
    ResolveLeftovers(*folder);
    EXPECT_EQ(disk_.Contents(), (Files{{kPackage, "the package before"}}));
  }
}

#if GTEST_HAS_DEATH_TEST
// The end of the program waits for the file step in progress and lets no other begin. The hold
// is never let go, so each case runs in a process of its own.
TEST(GameFileStepsAtExit, WaitForTheStepInProgress) {
  EXPECT_EXIT(
      {
        std::atomic<bool> started{false};
        std::atomic<bool> ended{false};
        std::thread step([&] {
          const auto turn = LockGameFileSteps();
          started = true;
          std::this_thread::sleep_for(std::chrono::milliseconds(50));
          ended = true;
        });
        while (!started) std::this_thread::yield();
        const bool held = HoldGameFileStepsForExit(60'000);
        step.join();
        std::exit(held && ended ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        const auto turn = LockGameFileSteps();
        bool held = true;
        std::thread exit([&] { held = HoldGameFileStepsForExit(0); });
        exit.join();
        std::exit(held ? 1 : 0);  // a step that does not end in time is not waited for longer
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

TEST(GameFileNames, PlainNamesOnly) {
  for (const char* bad : {"", ".", "..", "a\\b.zip", "a/b.zip", "C:x.zip"}) {
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  }
  // The last: a two-byte character whose trail byte is 0x5C, the byte of a backslash.
  for (const char* good : {"悍警巨魔.zip", "SKT薇恩.zip", "\xac\x5c.zip"}) {
    EXPECT_TRUE(IsPlainFileName(good)) << good;
  }
}

}  // namespace
}  // namespace lq
