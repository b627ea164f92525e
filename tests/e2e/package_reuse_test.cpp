// Loading a skin whose package the program wrote before: the host is asked with the validators it
// gave, and the file in the Game folder is used again when the host says it is unchanged or
// cannot be reached, as long as that file is still the one written and whole. A transfer that
// breaks is resumed where it broke (at most twice in one load), one that the host restarts is
// taken from its start, and a package that cannot fit the Game folder's volume is refused before
// anything is written.
#include <gtest/gtest.h>

#include <cstdio>
#include <optional>
#include <regex>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/skin_window_harness.h"
#include "tools/driver/lib/message_boxes.h"

namespace lq::e2e {
namespace {

namespace fs = std::filesystem;

constexpr wchar_t kInstalled[] = L"载入成功";
constexpr wchar_t kDownloadFailed[] = L"载入失败，请稍后再试。";
constexpr wchar_t kNoSpace[] = L"载入失败，磁盘空间不足。";
// The packages: stored zips of 1 MiB of pattern bytes, each row's from its own pattern offset.
constexpr const char* kPackage = "zip=1m&start=";
// The small volume the CTest fixture mounts at LQ_E2E_SMALL_VOLUME/英雄联盟/Game, and a package
// that cannot fit it.
constexpr std::uint64_t kSmallVolumeBytes = 512u << 10;
// The longest a load may take here, a broken transfer resumed twice included.
constexpr DWORD kLoadMs = 20000;

// What the Game folder and the program's store hold when the load starts.
enum class Earlier {
  kNothing,    // the package was never loaded
  kInstalled,  // it was loaded (by the program before a restart)
  kChanged,    // it was loaded, and since then the host serves another package of the same size
  kDamaged,    // it was loaded, and since then bytes of its file changed (size and time kept)
};

// What the Game folder holds after the load.
enum class After {
  kHostPackage,  // the package as the host serves it now, and the list naming it
  kAsBefore,     // every file as it was before the load
};

struct Row {
  const char* name;
  const char* champion;  // whose slot 1 is loaded; every row has its own package path
  Earlier earlier;
  bool host_down;           // the host refuses connections during the load
  const char* fault;        // the package path's fault during the load, with its count (as sent
                            // in the host's control URL: "%25" is a percent sign)
  bool range_ignored;       // the host answers Range with the whole package (200)
  bool small_volume;        // the Game folder is on a volume too small for the package
  const wchar_t* message;   // the message that ends the load
  const char* statuses;     // the load's requests of the package, as a pattern of their statuses
  double max_bytes_shares;  // the body bytes sent at most, in packages; < 0: not counted
  After after;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

const Row kRows[] = {
    // The host says the package is unchanged: no byte of it travels.
    {"Unchanged", "金克丝", Earlier::kInstalled, false, nullptr, false, false, kInstalled, "304", 0,
     After::kHostPackage},
    {"HostDown", "法外狂徒", Earlier::kInstalled, true, nullptr, false, false, kInstalled, "", 0,
     After::kHostPackage},
    {"NewVersion", "圣枪游侠", Earlier::kChanged, false, nullptr, false, false, kInstalled, "200",
     1.1, After::kHostPackage},
    {"DamagedHostDown", "德莱文", Earlier::kDamaged, true, nullptr, false, false, kDownloadFailed,
     "", 0, After::kAsBefore},
    // Whether the host is asked first is the program's choice; the package comes whole once.
    {"DamagedHostUp", "韦鲁斯", Earlier::kDamaged, false, nullptr, false, false, kInstalled,
     "(304,)?200", 1.1, After::kHostPackage},
    {"BrokenTwice", "暗夜猎手", Earlier::kNothing, false, "break:50%25&count=2", false, false,
     kInstalled, "200,206,206", 1.1, After::kHostPackage},
    {"BrokenThrice", "皮城女警", Earlier::kNothing, false, "break:50%25&count=3", false, false,
     kDownloadFailed, "200,206,206", 1.1, After::kAsBefore},
    // Half of the package, then all of it from the start.
    {"RangeIgnored", "探险家", Earlier::kNothing, false, "break:50%25&count=1", true, false,
     kInstalled, "200,200", 1.5, After::kHostPackage},
    {"NoSpace", "深渊巨口", Earlier::kNothing, false, nullptr, false, true, kNoSpace, "200", -1,
     After::kAsBefore},
};

class PackageReuse : public SkinWindowRoad, public ::testing::WithParamInterface<Row> {
 protected:
  void SetUp() override {
    if (GetParam().small_volume) {
      // The volume is the Game folder itself; what an earlier run left in it goes.
      ULARGE_INTEGER total{};
      const fs::path game = SmallVolume() / L"英雄联盟" / L"Game";
      if (!GetDiskFreeSpaceExW(game.c_str(), nullptr, &total, nullptr) ||
          total.QuadPart > 2 * kSmallVolumeBytes) {
        GTEST_SKIP() << "no small volume at " << Utf8(game.wstring())
                     << " (the CTest fixture mounts a tmpfs there, which needs root)";
      }
      for (const auto& entry : fs::directory_iterator(game)) fs::remove_all(entry.path());
    }
    SkinWindowRoad::SetUp();
  }

  void TearDown() override {
    SkinWindowRoad::TearDown();
    if (!path_.empty()) {
      download_host::SetVersion(path_, "restore=1");
    }
    if (GetParam().small_volume) {
      std::error_code ignored;
      for (const auto& entry : fs::directory_iterator(game(), ignored)) {
        fs::remove_all(entry.path(), ignored);
      }
      fs::remove(SmallVolume() / L"英雄联盟" / L"LolClient.exe", ignored);
    }
  }

  static fs::path SmallVolume() { return HostFile(LQ_E2E_SMALL_VOLUME); }

  fs::path InstallFolder(const fs::path& scratch) const override {
    return GetParam().small_volume ? SmallVolume() / L"英雄联盟"
                                   : SkinWindowRoad::InstallFolder(scratch);
  }

  ScopedEnvironment::Variables ProgramEnvironment() const override {
    return {{L"LOCALAPPDATA", app_data_.path().wstring()}};
  }

  // The folder as an earlier installation of another skin left it; this row's package on the
  // host.
  void BeforeProgramStarts() override {
    WriteFileBytes(game() / L"悍警巨魔.zip", "the package installed before");
    WriteFileBytes(game() / L"ClientZips.txt", ListNaming("悍警巨魔"));
    path_ = download_host::PathOf(Skin().package_url.view());
    version_ = download_host::SetVersion(path_, kPackage + std::to_string(1 + RowIndex()));
  }

  const SkinRecord& Skin() const { return Champion(GetParam().champion).skins[0]; }
  fs::path Package() const { return PackageFile(Skin().name.view()); }
  std::string Url() const { return std::string(Skin().package_url.view()); }
  // The row's place in the table, for a package of its own.
  int RowIndex() const {
    int index = 0;
    while (std::string_view(kRows[index].name) != GetParam().name) ++index;
    return index;
  }

  // Opens the skin window, clicks load of slot 1 and answers the message that ends the load (the
  // host down meanwhile where the row says so, for the load under test). "载入成功" shows with the
  // caption "正在写入" and then the window closes; after any other message the window stays with
  // "载入". The message; when it came is printed.
  std::wstring Load(const char* what) {
    if (!OpenSkinWindow(Champion(GetParam().champion))) return L"<no skin window>";
    std::wstring message = L"<none>";
    {
      std::optional<download_host::Down> down;
      if (GetParam().host_down && std::string_view(what) == "load") down.emplace();
      const ULONGLONG start = GetTickCount64();
      ClickLoad(1);
      std::vector<driver::MessageBoxView> boxes;
      if (!WaitUntil(
              [&] { return !(boxes = driver::OpenMessageBoxes(program().process())).empty(); },
              kLoadMs)) {
        ADD_FAILURE() << what << ": no message within " << kLoadMs << " ms";
        return message;
      }
      message = boxes.front().text;
      // For the reader of the log only: how long the load took here.
      std::printf("%s, %s: \"%s\" after %.1f s\n", GetParam().name, what, Utf8(message).c_str(),
                  static_cast<double>(GetTickCount64() - start) / 1000.0);
      const bool installed = message == kInstalled;
      if (installed) {
        EXPECT_EQ(Caption(1), L"正在写入") << what;
      }
      EXPECT_TRUE(program().AnswerMessage(message)) << what;
      if (installed) {
        EXPECT_TRUE(WaitSkinWindowGone()) << what;
      } else {
        EXPECT_TRUE(WaitCaption(1, L"载入")) << what;
        EXPECT_TRUE(SkinWindow() != nullptr) << what << ": the window stays for another try";
      }
    }
    return message;
  }

  // The package in the Game folder is the host's, the list names it, nothing else was left.
  void ExpectHostPackage() {
    EXPECT_EQ(ReadFileBytes(Package()), download_host::Body(Url())) << "the package in Game";
    EXPECT_EQ(ReadFileBytes(game() / L"ClientZips.txt"), ListNaming(Skin().name.view()));
    EXPECT_EQ(ContentsOf(game()).size(), 3u) << FolderListing(game());
  }

  // The load of an earlier run of the program.
  void LoadEarlier() {
    const download_host::Sent before = download_host::SentFor(path_);
    EXPECT_EQ(Load("earlier load"), kInstalled);
    EXPECT_EQ(download_host::SentFor(path_).StatusesSince(before), "200");
    ExpectHostPackage();
    EXPECT_TRUE(fs::exists(app_data_.path() / L"LOLQuillet"))
        << "nothing in the program's LOCALAPPDATA";
  }

  test::ScratchDir app_data_{"package-reuse-appdata"};
  std::string path_;  // of this row's package on the host
  download_host::Version version_;
};

// The offset from which the request after `breaks` broken answers asks for the package: each
// broken answer ("break:50%") sent half of its body.
std::uint64_t ResumeOffset(std::uint64_t length, int breaks) {
  std::uint64_t offset = 0;
  for (int i = 0; i < breaks; ++i) offset += (length - offset) / 2;
  return offset;
}

TEST_P(PackageReuse, LoadUsesWhatItMay) {
  const Row& row = GetParam();
  ASSERT_TRUE(version_.ok);
  if (row.earlier != Earlier::kNothing) {
    LoadEarlier();
    if (row.earlier == Earlier::kChanged) {
      version_ = download_host::SetVersion(path_, kPackage + std::to_string(100 + RowIndex()));
      ASSERT_EQ(version_.length, fs::file_size(Package()));
    } else if (row.earlier == Earlier::kDamaged) {
      // Inside the entry's bytes, the file's size and time kept: only the zip check can tell.
      const auto written = fs::last_write_time(Package());
      ASSERT_TRUE(OverwriteKeepingTimes(Package(), version_.length / 2, "damaged"));
      ASSERT_EQ(fs::last_write_time(Package()), written);
    }
    RestartProgram();
  }
  if (row.fault) {
    ASSERT_TRUE(download_host::SetFault(row.fault, path_));
  }
  if (row.range_ignored) {
    ASSERT_TRUE(download_host::SetFault("norange", "/lolbf/pf/"));
  }

  const std::string folder_before = FolderListing(game());
  std::error_code no_file;
  const auto written_before = fs::last_write_time(Package(), no_file);
  const download_host::Sent before = download_host::SentFor(path_);
  EXPECT_EQ(Load("load"), row.message);
  const download_host::Sent sent = download_host::SentFor(path_);

  const std::string statuses = sent.StatusesSince(before);
  EXPECT_TRUE(std::regex_match(statuses, std::regex(row.statuses)))
      << "statuses \"" << statuses << "\", expected \"" << row.statuses << "\"";
  const std::uint64_t bytes = sent.body_bytes - before.body_bytes;
  std::printf("%s: statuses [%s], %llu body bytes of a %llu-byte package\n", row.name,
              statuses.c_str(), static_cast<unsigned long long>(bytes),
              static_cast<unsigned long long>(version_.length));
  if (row.max_bytes_shares == 0) {
    EXPECT_EQ(bytes, 0u) << "no package bytes may travel";
  } else if (row.max_bytes_shares > 0) {
    if (row.after == After::kHostPackage) {
      EXPECT_GE(bytes, version_.length);
    }
    EXPECT_LE(static_cast<double>(bytes), row.max_bytes_shares * version_.length);
  }
  // Each request after a broken answer asks for the rest, if it is still the same package.
  const std::vector<std::string> heads = download_host::RequestHeads(path_);
  for (std::size_t i = static_cast<std::size_t>(before.requests) + 1; row.fault && i < heads.size();
       ++i) {
    const int breaks = static_cast<int>(i) - before.requests;
    EXPECT_EQ(download_host::HeaderOf(heads[i], "Range"),
              "bytes=" + std::to_string(ResumeOffset(version_.length, breaks)) + "-")
        << "request " << breaks + 1;
    const std::string if_range = download_host::HeaderOf(heads[i], "If-Range");
    EXPECT_TRUE(if_range == version_.etag || if_range == version_.last_modified)
        << "request " << breaks + 1 << ": If-Range \"" << if_range << "\"";
  }

  if (row.after == After::kHostPackage) {
    ExpectHostPackage();
    if (row.earlier == Earlier::kInstalled) {
      // Used as it is: only the list was written.
      EXPECT_EQ(fs::last_write_time(Package(), no_file).time_since_epoch().count(),
                written_before.time_since_epoch().count());
    }
  } else {
    EXPECT_EQ(FolderListing(game()), folder_before);
  }
}

INSTANTIATE_TEST_SUITE_P(Loads, PackageReuse, ::testing::ValuesIn(kRows),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lq::e2e
