// Installation and repair over a folder in memory whose steps fail on demand, with a download
// that streams a package built here: whatever step fails, or wherever the process ends, the
// folder holds its old state or its new state, the result says which, and what is left over is
// resolved by the next operation into that state. Files of a running owner are never touched.
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
    env_.download = [](const Text& url, const RequestConditions&, BodySink& sink) {
      return ServeDownload(url, sink);
    };
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

  // A fresh plan: step `fail_at` fails (and with `sticky` every one after it).
  void Plan(int fail_at, bool sticky = false) {
    plan_.fail_at = fail_at;
    plan_.sticky = sticky;
    plan_.steps = 0;
    plan_.log.clear();
  }
  // Resolves leftovers as the next operation does, on a sound folder.
  void Resolve() {
    Plan(0);
    ResolveLeftovers(*OpenTestFolder(Text()));
  }

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
        Plan(0);
        ASSERT_TRUE(c.repair ? Repair() : Install() == InstallationResult::kInstalled);
        const int steps = plan_.steps;
        ASSERT_GT(steps, 3) << c.what;
        for (int n = 1; n <= steps; ++n) {
          SCOPED_TRACE(::testing::Message() << c.what << (links ? ", links" : ", no links")
                                            << (sticky ? ", every step from " : ", step ") << n);
          Reset(c.before);
          Plan(n, sticky);
          bool now_new = false;
          if (c.repair) {
            now_new = Repair();
            EXPECT_EQ(Visible(disk_), now_new ? after : c.before);
          } else {
            const InstallationResult result = Install();
            switch (result) {
              case InstallationResult::kInstalled:
                now_new = true;
                EXPECT_EQ(Visible(disk_), after);
                break;
              case InstallationResult::kWriteFailed: {
                Files seen = Visible(disk_);
                // A new package that a failing folder keeps from going is named by no list.
                if (sticky && !c.before.contains(kPackage)) seen.erase(kPackage);
                EXPECT_EQ(seen, c.before);
                break;
              }
              case InstallationResult::kNotRestored:
                // Only a folder that fails every step from one on keeps an earlier package from
                // coming back, and the message sends the user to the repair.
                EXPECT_TRUE(sticky);
                EXPECT_TRUE(c.before.contains(kPackage));
                EXPECT_NE(InstallationMessage(result).find("修复"), std::string_view::npos);
                break;
              default:
                ADD_FAILURE() << "result " << static_cast<int>(result);
            }
          }
          // What is left over is resolved into the state the result told, and nothing stays.
          Resolve();
          EXPECT_EQ(disk_.Contents(), now_new ? after : c.before);
          // The next operation on a sound folder succeeds and leaves nothing of its own behind.
          ASSERT_TRUE(c.repair ? Repair() : Install() == InstallationResult::kInstalled);
          EXPECT_EQ(disk_.Contents(), after);
        }
      }
    }
  }
}

// The process ends in the middle of an installation: from one step on nothing reaches the disk
// any more, and its mark goes with the process (or stays, when the machine went down). The next
// resolving of leftovers leaves the folder as it was or as the installation leaves it, never
// mixed, and nothing of the installation behind.
TEST_F(GameFiles, AnInstallationCutAtAnyStepIsResolvedOldOrNew) {
  const std::string package = kPackage;
  struct Point {
    const char* what;
    std::string prefix;  // of the first step not taken
    std::string suffix;
    bool is_new;  // the installation's state after resolving
  };
  const std::vector<Point> points = {
      {"before the first step", "hold .LOLQuillet-", ".lock", false},
      {"while the package downloads", "write .LOLQuillet-", ".part", false},
      {"while the list is staged", "create .LOLQuillet-", ".new.ClientZips.txt", false},
      {"before the package is kept as a link", "link " + package, ".old." + package, false},
      {"before the package is moved aside", "rename " + package, ".old." + package, false},
      {"before the note that there was no package", "create .LOLQuillet-", ".none." + package,
       false},
      {"before the package moves in", "rename .LOLQuillet-", "> " + package, false},
      {"before the list moves in", "rename .LOLQuillet-", "> ClientZips.txt", false},
      {"before the kept package goes", "delete .LOLQuillet-", ".old." + package, true},
      {"before the note goes", "delete .LOLQuillet-", ".none." + package, true},
      {"after the last step", "", "", true},
  };
  std::map<std::string, int> cut;  // how often each point was found in a run
  for (bool had_package : {true, false}) {
    Files before = {{"冠军皮肤.zip", "another"}, {kList, List("冠军皮肤")}};
    if (had_package) before[kPackage] = "the package before";
    Files after = before;
    after[kPackage] = served_.body;
    after[kList] = List(kName);
    for (bool links : {true, false}) {
      disk_.links = links;
      Reset(before);
      Plan(0);
      ASSERT_EQ(Install(), InstallationResult::kInstalled);
      std::vector<int> steps;  // of each point in this run
      for (const Point& p : points) {
        steps.push_back(p.prefix.empty() ? plan_.steps + 1 : plan_.Find(p.prefix, p.suffix));
      }
      for (std::size_t i = 0; i < points.size(); ++i) {
        const Point& p = points[i];
        const int at = steps[i];
        if (at == 0) {
          continue;  // no such step in this run
        }
        ++cut[p.what];
        for (bool mark_stays : {false, true}) {
          SCOPED_TRACE(::testing::Message()
                       << p.what << (had_package ? ", replacing a package" : ", a new package")
                       << (links ? ", links" : ", no links")
                       << (mark_stays ? ", the mark stays" : ""));
          Reset(before);
          Plan(at, true);
          Install();
          const int hold = plan_.Find("hold ");
          if (mark_stays && hold > 0 && hold < at) {
            disk_.Put(plan_.log[static_cast<std::size_t>(hold - 1)].substr(5), "");
          }
          Resolve();
          EXPECT_EQ(disk_.Contents(), p.is_new ? after : before);
          Resolve();  // a second time changes nothing
          EXPECT_EQ(disk_.Contents(), p.is_new ? after : before);
        }
      }
    }
  }
  for (const Point& p : points) {
    EXPECT_GT(cut[p.what], 0) << p.what << ": no run has this step";
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

// Another copy of the program, in this logon session or another, is in the middle of an
// installation: a folder object with its mark held, as a running process holds it. Resolving
// leftovers leaves every file of it alone, a kept package that is a second link of its target
// included, and even when the target has gone. Once that copy ends, what it left is resolved.
TEST_F(GameFiles, FilesOfARunningOwnerAreLeftAlone) {
  const ByteSet list = ArchiveListContentWithPackage(Text(kName));
  for (bool had_package : {true, false}) {
    Files before = {{kList, List("冠军皮肤")}};
    if (had_package) before[kPackage] = "the package before";
    Files after = {{kList, List(kName)}, {kPackage, served_.body}};
    for (bool links : {true, false}) {
      for (bool replaced : {false, true}) {
        for (bool commits : {true, false}) {
          SCOPED_TRACE(::testing::Message()
                       << (had_package ? "replacing a package" : "a new package")
                       << (links ? ", links" : ", no links")
                       << (replaced ? ", replaced" : ", staged")
                       << (commits ? ", then commits" : ", then ends"));
          disk_.links = links;
          Reset(before);
          {
            const std::unique_ptr<GameFolder> running = test::OpenMemoryFolder(disk_);
            std::unique_ptr<StagedFile> staged = StagedFile::Create(*running);
            ASSERT_TRUE(staged);
            ASSERT_TRUE(staged->Write(
                {reinterpret_cast<const std::uint8_t*>(served_.body.data()), served_.body.size()}));
            ASSERT_TRUE(staged->Finish());
            Replacement change(*running);
            ASSERT_TRUE(change.StageCommit(kList, list.bytes()));
            if (replaced) {
              ASSERT_TRUE(change.Replace(kPackage, *staged));
            }

            const Files during = disk_.Contents();
            Resolve();
            EXPECT_EQ(disk_.Contents(), during);
            // The user deletes the package meanwhile: nothing is moved back under the owner.
            const auto package = disk_.files.find(kPackage);
            const std::shared_ptr<std::string> file =
                package == disk_.files.end() ? nullptr : package->second;
            disk_.files.erase(kPackage);
            const Files without = disk_.Contents();
            Resolve();
            EXPECT_EQ(disk_.Contents(), without);
            if (file) disk_.files[kPackage] = file;

            if (commits) {
              EXPECT_TRUE(replaced || change.Replace(kPackage, *staged));
              EXPECT_TRUE(change.Commit());
            } else {
              // The copy ends without a word: its mark goes with its process.
              std::lock_guard lock(disk_.mutex);
              std::erase_if(disk_.files, [this](const auto& f) {
                return f.first.ends_with(".lock") && disk_.held.erase(f.first) > 0;
              });
            }
            Resolve();
            EXPECT_EQ(Visible(disk_), commits ? after : before);
          }
          // Nothing of it stays.
          EXPECT_EQ(disk_.Contents(), commits ? after : before);
        }
      }
    }
  }
}

// An undo that cannot put a target back keeps what it could not, with the staged commit file, and
// resolving leftovers later finishes it.
TEST_F(GameFiles, AFailedUndoIsFinishedByResolvingLeftovers) {
  for (bool had_package : {true, false}) {
    for (bool links : {true, false}) {
      SCOPED_TRACE(::testing::Message() << (had_package ? "replacing a package" : "a new package")
                                        << (links ? ", links" : ", no links"));
      disk_.links = links;
      Files before = {{kList, "list before"}};
      if (had_package) before[kPackage] = "the package before";
      Reset(before);
      {
        const std::unique_ptr<GameFolder> folder = OpenTestFolder(Text());
        Plan(0);
        std::unique_ptr<StagedFile> staged = StagedFile::Create(*folder);
        const std::string bytes = "the replacement";
        ASSERT_TRUE(
            staged &&
            staged->Write({reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()}) &&
            staged->Finish());
        Replacement change(*folder);
        ASSERT_TRUE(change.StageCommit(kList, ByteSet::FromString("list after").bytes()));
        ASSERT_TRUE(change.Replace(kPackage, *staged));
        Plan(1);  // the undo's first step: the move back, or the delete of the new package
        EXPECT_FALSE(change.Undo());
        Plan(0);
        EXPECT_NE(Visible(disk_), before);
      }
      Resolve();
      EXPECT_EQ(disk_.Contents(), before);
    }
  }
}

// Leftovers of owners in every state: running (its mark held), ended (no mark, or a mark that
// nobody holds any more), or not to be judged (a mark that cannot be deleted). A kept file is
// deleted only when its target is positively there: a target whose lookup fails keeps it, until
// a later resolving can look.
TEST_F(GameFiles, LeftoversAreResolvedByTheirOwnersState) {
  const std::string running = ".LOLQuillet-88-0000aaaa";
  const std::string ended = ".LOLQuillet-77-0000bbbb";
  const std::string crashed = ".LOLQuillet-77-0000cccc";    // its machine went down: the mark stays
  const std::string stuck = ".LOLQuillet-66-0000dddd";      // its mark cannot be deleted
  const std::string earlier = ".LOLQuillet-4242-0000eeee";  // an earlier owner in this process
  const Files untouched = {
      {running + ".lock", ""},
      {running + "-1.part", "staged by a copy that runs"},
      {running + "-2.new.ClientZips.txt", "its list"},
      {running + "-2.old.a.zip", "a kept by a copy that runs"},
      {stuck + ".lock", ""},
      {stuck + "-1.part", "staged by a copy that cannot be judged"},
      {".LOLQuillet-x.part", "not a name of ours"},
      {kList, "list"},
      {"a.zip", "a replaced"},
  };
  Files before = untouched;
  before.insert({
      {ended + "-1.part", "staged by a killed copy"},
      // Changes that stand: the staged list has moved into place.
      {ended + "-2.old.b.zip", "b before"},
      {"b.zip", "b after"},
      {ended + "-3.old.c.zip", "c before, its target gone"},
      {ended + "-4.old.d.zip", "d before"},
      {"d.zip", "d after, not to be looked at"},
      {ended + "-5.none.g.zip", ""},
      {"g.zip", "g new"},
      // Changes to undo: the staged list is still there.
      {ended + "-6.new.ClientZips.txt", "list never in place"},
      {ended + "-6.old.e.zip", "e before"},
      {"e.zip", "e after"},
      {ended + "-7.new.ClientZips.txt", "list never in place"},
      {ended + "-7.none.f.zip", ""},
      {"f.zip", "f new"},
      {ended + "-8.new.ClientZips.txt", "list never in place"},
      {ended + "-8.old.h.zip", "h before"},
      {"h.zip", "h after, not to be looked at"},
      {crashed + ".lock", ""},
      {crashed + "-1.part", "staged before the machine went down"},
      {earlier + "-1.part", "an earlier failure of this process"},
  });
  Files first = untouched;  // while d.zip and h.zip cannot be looked at
  first.insert({
      {"b.zip", "b after"},
      {"c.zip", "c before, its target gone"},
      {ended + "-4.old.d.zip", "d before"},
      {"d.zip", "d after, not to be looked at"},
      {"g.zip", "g new"},
      {"e.zip", "e before"},
      {ended + "-8.new.ClientZips.txt", "list never in place"},
      {ended + "-8.old.h.zip", "h before"},
      {"h.zip", "h after, not to be looked at"},
  });
  Files second = first;
  second.erase(ended + "-4.old.d.zip");
  second.erase(ended + "-8.new.ClientZips.txt");
  second.erase(ended + "-8.old.h.zip");
  second["h.zip"] = "h before";

  Reset(before);
  disk_.held = {running + ".lock"};
  disk_.read_only = {stuck + ".lock"};
  disk_.lookup_errors = {"d.zip", "h.zip"};
  Resolve();
  EXPECT_EQ(disk_.Contents(), first);
  disk_.lookup_errors.clear();
  Resolve();
  EXPECT_EQ(disk_.Contents(), second);
  disk_.held.clear();
  disk_.read_only.clear();
}

TEST(GameFileNames, TemporaryNamesTellTheirOwnerKindAndTarget) {
  using Kind = TemporaryName::Kind;
  const std::string owner = ".LOLQuillet-12-0123abcd";
  struct Name {
    std::string name;
    bool ours;
    Kind kind;
    std::uint64_t change;
    const char* target;
  };
  const std::vector<Name> names = {
      {owner + ".lock", true, Kind::kMark, 0, ""},
      {owner + "-0.part", true, Kind::kStaged, 0, ""},
      {owner + "-3.new.ClientZips.txt", true, Kind::kCommit, 3, "ClientZips.txt"},
      {owner + "-12.old.悍警巨魔.zip", true, Kind::kSetAside, 12, "悍警巨魔.zip"},
      {owner + "-4.none.a.b.zip", true, Kind::kNoFile, 4, "a.b.zip"},
      {owner + "-0.old.", false, {}, 0, ""},
      {owner + "-0.old.a\\b.zip", false, {}, 0, ""},
      {owner + "-0.gone.a.zip", false, {}, 0, ""},
      {owner + "-0.partial", false, {}, 0, ""},
      {owner + "-x.part", false, {}, 0, ""},
      {owner + ".lockx", false, {}, 0, ""},
      {owner + "-.part", false, {}, 0, ""},
      {".LOLQuillet-12-0.part", false, {}, 0, ""},
      {".LOLQuillet-12-0123ABCD-0.part", false, {}, 0, ""},
      {".LOLQuillet-12-0123abc-0.part", false, {}, 0, ""},
      {".LOLQuillet--1-0123abcd-0.part", false, {}, 0, ""},
      {".LOLQuillet-99999999999-0123abcd-0.part", false, {}, 0, ""},
      {"悍警巨魔.zip", false, {}, 0, ""},
  };
  for (const Name& n : names) {
    const std::optional<TemporaryName> parsed = ParseTemporaryName(n.name);
    ASSERT_EQ(parsed.has_value(), n.ours) << n.name;
    if (parsed) {
      EXPECT_EQ(parsed->kind, n.kind) << n.name;
      EXPECT_EQ(parsed->process_id, 12u) << n.name;
      EXPECT_EQ(parsed->owner, owner) << n.name;
      EXPECT_EQ(parsed->change, n.change) << n.name;
      EXPECT_EQ(parsed->target, n.target) << n.name;
    }
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
        bool other_begins = true;
        std::thread other([&] { other_begins = static_cast<bool>(TryGameFileSteps()); });
        other.join();
        std::exit(held && ended && !other_begins ? 0 : 1);
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

// Every end holds: a worker whose own step ends the program does not wait for itself, and ends
// that hold at the same time (the worker's and then the GUI thread's, to which it hands the end)
// all go on once one holds.
TEST(GameFileStepsAtExit, EveryEndHoldsWithoutWaitingForAnother) {
  EXPECT_EXIT(
      {
        const auto turn = LockGameFileSteps();
        std::exit(HoldGameFileStepsForExit(60'000) ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
  EXPECT_EXIT(
      {
        std::atomic<bool> started{false};
        std::atomic<bool> release{false};
        std::thread step([&] {
          const auto turn = LockGameFileSteps();
          started = true;
          while (!release) std::this_thread::yield();
        });
        while (!started) std::this_thread::yield();
        std::atomic<int> held{0};
        std::vector<std::thread> ends;
        for (int i = 0; i < 3; ++i) {
          ends.emplace_back([&] { held += HoldGameFileStepsForExit(60'000) ? 1 : 0; });
        }
        release = true;
        step.join();
        for (std::thread& end : ends) end.join();
        std::exit(held == 3 ? 0 : 1);
      },
      ::testing::ExitedWithCode(0), "");
}
#endif

TEST(GameFileNames, PlainNamesOnly) {
  // The last: 0xFF is no lead byte of code page 936, so the system reads the backslash after it.
  for (const char* bad : {"", ".", "..", "a\\b.zip", "a/b.zip", "C:x.zip", "\xff\\b.zip"}) {
    EXPECT_FALSE(IsPlainFileName(bad)) << bad;
  }
  // The last: a two-byte character whose trail byte is 0x5C, the byte of a backslash.
  for (const char* good : {"悍警巨魔.zip", "SKT薇恩.zip", "\xac\x5c.zip"}) {
    EXPECT_TRUE(IsPlainFileName(good)) << good;
  }
}

}  // namespace
}  // namespace lq
