// The preview cache over a folder in memory: what it keeps it gives back with its validators;
// it stays within its bound, the least recently used going first; an entry that is damaged, cut
// short, foreign or another address's is never given out and is replaced by the next copy kept;
// a write cut short by the end of the process leaves the copy before it, and its staged file goes
// with a later write; a folder that cannot be written keeps what it has and takes nothing new. On
// Windows, the program's user folder itself: made at the first write where LOCALAPPDATA says, its
// files replaced whole under the reads of another thread.
#include "skins/preview_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/skins/support/memory_user_folder.h"

#ifdef _WIN32
#include <windows.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <thread>

#include "tests/support/scratch_dir.h"
#endif

namespace lq {
namespace {

// Picture n: `size` bytes of its own (0 is none). Its validators name it.
std::string Picture(int n, std::size_t size = 1000) {
  std::string bytes(size, '\0');
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>((i * 31 + n * 7) % 251);
  return bytes;
}
PreviewValidators ValidatorsOf(int n) {
  return {"\"tag-" + std::to_string(n) + "\"",
          "Mon, 0" + std::to_string(n % 10) + " Jan 2024 00:00:00 GMT"};
}
std::string Url(int n) { return "http://127.0.0.1/lolbf/imgs/Skin_" + std::to_string(n) + ".jpg"; }

enum class Do {
  kKeep,          // Keep(url, picture) answers `ok`
  kFind,          // Find(url) gives the picture with its validators; picture 0: nothing
  kFlipEach,      // each byte of url's entry in turn flipped: nothing found; then restored
  kCutEach,       // url's entry cut to each shorter length in turn: nothing found; then restored
  kForeign,       // url's entry replaced by bytes of another kind
  kBorrow,        // url's entry replaced by the entry of Url(picture): a hash shared by two URLs
  kCutNextWrite,  // the process ends during the next write
  kReadOnly,      // the folder cannot be written (at 1) or can again (at 0)
  kFull,          // the disk holds `at` bytes at most
  kStaged,        // `at` staged files are in the folder
};
struct Step {
  Do what;
  int url = 0;
  int picture = 0;
  std::int64_t at = 0;  // a size, or a value
  bool ok = true;
};
struct Case {
  const char* name;
  std::uint64_t bound;
  std::vector<Step> steps;
};

// Entries of 10,000-byte pictures: three fit in 35,000 bytes, four do not, whatever the few dozen
// bytes of each entry's header.
constexpr std::size_t kLarge = 10'000;
constexpr std::uint64_t kThreeLarge = 35'000;

const Case kCases[] = {
    {"KeptCopiesComeBackWithTheirValidators",
     kPreviewCacheBytes,
     {{Do::kFind, 1, 0},
      {Do::kKeep, 1, 1},
      {Do::kKeep, 2, 2},
      {Do::kFind, 1, 1},
      {Do::kFind, 2, 2},
      {Do::kKeep, 1, 3},  // a newer picture at the same address replaces the old one
      {Do::kFind, 1, 3},
      {Do::kFind, 3, 0}}},
    {"LeastRecentlyUsedGoFirst",
     kThreeLarge,
     {{Do::kKeep, 1, 1, kLarge},
      {Do::kKeep, 2, 2, kLarge},
      {Do::kKeep, 3, 3, kLarge},
      {Do::kFind, 1, 1, kLarge},  // 2 is the least recently used now
      {Do::kKeep, 4, 4, kLarge},
      {Do::kFind, 2, 0},
      {Do::kFind, 3, 3, kLarge},  // now 1, 4, 3 from the oldest
      {Do::kKeep, 5, 5, kLarge},
      {Do::kFind, 1, 0},
      {Do::kFind, 4, 4, kLarge},
      {Do::kFind, 5, 5, kLarge},
      {Do::kFind, 3, 3, kLarge},
      // Larger than the bound: not kept, and nothing goes for it.
      {Do::kKeep, 6, 6, 4 * kLarge, false},
      {Do::kFind, 6, 0},
      {Do::kFind, 4, 4, kLarge}}},
    {"DamagedEntriesAreNeverGivenOut",
     kPreviewCacheBytes,
     {{Do::kKeep, 1, 1, 300},
      {Do::kFlipEach, 1},
      {Do::kCutEach, 1},
      {Do::kFind, 1, 1, 300},
      {Do::kForeign, 1},
      {Do::kFind, 1, 0},
      {Do::kKeep, 1, 2, 300},
      {Do::kFind, 1, 2, 300}}},
    {"AnotherAddressesEntryUnderTheSameName",
     kPreviewCacheBytes,
     {{Do::kKeep, 2, 2},
      {Do::kKeep, 1, 1},
      {Do::kBorrow, 1, 2},
      {Do::kFind, 1, 0},
      {Do::kFind, 2, 2},
      {Do::kKeep, 1, 3},
      {Do::kFind, 1, 3},
      {Do::kFind, 2, 2}}},
    {"WriteCutShortByTheProcessEnd",
     kPreviewCacheBytes,
     {{Do::kKeep, 1, 1},
      {Do::kCutNextWrite},
      {Do::kKeep, 1, 2, 1000, false},
      {Do::kFind, 1, 1},
      {Do::kCutNextWrite},
      {Do::kKeep, 2, 2, 1000, false},
      {Do::kFind, 2, 0},
      {Do::kStaged, 0, 0, 2},
      {Do::kKeep, 3, 3},  // and the staged files go
      {Do::kFind, 1, 1},
      {Do::kFind, 3, 3}}},
    {"FolderThatCannotBeWritten",
     kPreviewCacheBytes,
     {{Do::kKeep, 1, 1},
      {Do::kReadOnly, 0, 0, 1},
      {Do::kFind, 1, 1},
      {Do::kKeep, 2, 2, 1000, false},
      {Do::kKeep, 1, 3, 1000, false},
      {Do::kFind, 1, 1},
      {Do::kFind, 2, 0},
      {Do::kReadOnly, 0, 0, 0},
      {Do::kKeep, 2, 2},
      {Do::kFind, 2, 2}}},
    {"FullDisk",
     kPreviewCacheBytes,
     {{Do::kKeep, 1, 1},
      {Do::kFull, 0, 0, 1500},
      {Do::kKeep, 2, 2, 1000, false},
      {Do::kFind, 2, 0},
      {Do::kFind, 1, 1}}},
};

void PrintTo(const Case& c, std::ostream* out) { *out << c.name; }

class PreviewCacheCases : public ::testing::TestWithParam<Case> {
 protected:
  std::string Entry(int url) { return PreviewEntryName(Url(url)); }
  std::string Stored(int url) { return disk_.Contents()[Entry(url)]; }
  void Store(int url, std::string bytes) { disk_.Put(Entry(url), std::move(bytes)); }
  bool Found(int url) { return cache_.Find(Url(url)).has_value(); }

  ::testing::AssertionResult Finds(int url, int picture, std::size_t size) {
    std::optional<KeptPreview> kept = cache_.Find(Url(url));
    if (picture == 0) {
      if (kept) return ::testing::AssertionFailure() << "a copy of " << kept->picture.size();
      return ::testing::AssertionSuccess();
    }
    if (!kept) return ::testing::AssertionFailure() << "nothing found";
    if (kept->picture.view() != Picture(picture, size)) {
      return ::testing::AssertionFailure() << "another picture of " << kept->picture.size();
    }
    if (!(kept->validators == ValidatorsOf(picture))) {
      return ::testing::AssertionFailure()
             << "validators " << kept->validators.etag << ", " << kept->validators.last_modified;
    }
    return ::testing::AssertionSuccess();
  }

  test::MemoryUserDisk disk_;
  PreviewCache cache_{test::OpenMemoryUserFolder(disk_), GetParam().bound};
};

TEST_P(PreviewCacheCases, Run) {
  int number = 0;
  for (const Step& step : GetParam().steps) {
    SCOPED_TRACE("step " + std::to_string(++number));
    const std::size_t size = step.at > 0 ? static_cast<std::size_t>(step.at) : 1000;
    switch (step.what) {
      case Do::kKeep: {
        const std::string picture = Picture(step.picture, size);
        EXPECT_EQ(cache_.Keep(Url(step.url), ValidatorsOf(step.picture),
                              std::span(reinterpret_cast<const std::uint8_t*>(picture.data()),
                                        picture.size())),
                  step.ok);
        if (step.ok) {
          // Within the bound, and no staged file left over.
          EXPECT_LE(disk_.TotalBytes(), GetParam().bound);
          for (const auto& [name, bytes] : disk_.Contents()) {
            EXPECT_FALSE(IsStagedName(name)) << name;
          }
        }
        break;
      }
      case Do::kFind:
        EXPECT_TRUE(Finds(step.url, step.picture, size));
        break;
      case Do::kFlipEach: {
        const std::string entry = Stored(step.url);
        ASSERT_FALSE(entry.empty());
        for (std::size_t at = 0; at < entry.size(); ++at) {
          std::string damaged = entry;
          damaged[at] = static_cast<char>(damaged[at] ^ (1 << (at % 8)));
          Store(step.url, damaged);
          EXPECT_FALSE(Found(step.url)) << "byte " << at << " flipped";
        }
        Store(step.url, entry);
        break;
      }
      case Do::kCutEach: {
        const std::string entry = Stored(step.url);
        ASSERT_FALSE(entry.empty());
        for (std::size_t length = 0; length < entry.size(); ++length) {
          Store(step.url, entry.substr(0, length));
          EXPECT_FALSE(Found(step.url)) << "cut to " << length;
        }
        Store(step.url, entry);
        break;
      }
      case Do::kForeign:
        Store(step.url, "\xFF\xD8\xFF\xE0" + Picture(9, 500));
        break;
      case Do::kBorrow:
        Store(step.url, Stored(step.picture));
        break;
      case Do::kCutNextWrite: {
        std::lock_guard lock(disk_.mutex);
        disk_.cut_writes = 1;
        break;
      }
      case Do::kReadOnly: {
        std::lock_guard lock(disk_.mutex);
        disk_.read_only = step.at != 0;
        break;
      }
      case Do::kStaged: {
        int staged = 0;
        for (const auto& [name, bytes] : disk_.Contents()) staged += IsStagedName(name) ? 1 : 0;
        EXPECT_EQ(staged, step.at);
        break;
      }
      case Do::kFull: {
        std::lock_guard lock(disk_.mutex);
        disk_.capacity = static_cast<std::uint64_t>(step.at);
        break;
      }
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Cases, PreviewCacheCases, ::testing::ValuesIn(kCases),
                         [](const auto& info) { return std::string(info.param.name); });

#ifdef _WIN32
// LOCALAPPDATA for this process while the object lives.
class LocalAppData {
 public:
  explicit LocalAppData(const std::filesystem::path& folder) {
    wchar_t old[MAX_PATH + 1] = {};
    if (GetEnvironmentVariableW(L"LOCALAPPDATA", old, MAX_PATH + 1) > 0) old_ = old;
    SetEnvironmentVariableW(L"LOCALAPPDATA", folder.c_str());
  }
  ~LocalAppData() { SetEnvironmentVariableW(L"LOCALAPPDATA", old_ ? old_->c_str() : nullptr); }

 private:
  std::optional<std::wstring> old_;
};

std::span<const std::uint8_t> Bytes(std::string_view text) {
  return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

TEST(ProgramUserFolder, MadeAtTheFirstWriteWhereLocalAppDataSays) {
  test::ScratchDir scratch("user-folder");
  const std::filesystem::path folder = scratch.path() / L"LOLQuillet" / L"previews";
  {
    const LocalAppData here(scratch.path());
    std::unique_ptr<UserFolder> user = OpenProgramUserFolder("previews");
    ASSERT_TRUE(user->List());
    EXPECT_TRUE(user->List()->empty());
    EXPECT_FALSE(std::filesystem::exists(scratch.path() / L"LOLQuillet"));
    EXPECT_FALSE(user->Read("a", 100));

    ASSERT_TRUE(user->Write("a", Bytes("first")));
    {
      std::ifstream in(folder / L"a", std::ios::binary);
      EXPECT_EQ(std::string(std::istreambuf_iterator<char>(in), {}), "first");
    }
    EXPECT_TRUE(user->Write("a", Bytes("second")));
    EXPECT_EQ(user->Read("a", 6)->view(), "second");
    EXPECT_FALSE(user->Read("a", 5));  // more than asked for

    const std::vector<UserFileInfo> before = *user->List();
    ASSERT_EQ(before.size(), 1u);
    EXPECT_EQ(before[0].name, "a");
    EXPECT_EQ(before[0].size, 6u);
    Sleep(20);
    EXPECT_TRUE(user->Touch("a"));
    EXPECT_GT(user->List()->at(0).last_use, before[0].last_use);
    EXPECT_TRUE(user->Delete("a"));
    EXPECT_TRUE(user->List()->empty());
  }
  // Where no folder can be made (LOCALAPPDATA names a file), writes fail and nothing is read.
  const std::filesystem::path file = scratch.path() / L"not a folder";
  std::ofstream(file) << "x";
  const LocalAppData there(file);
  std::unique_ptr<UserFolder> user = OpenProgramUserFolder("previews");
  EXPECT_FALSE(user->Write("a", Bytes("first")));
  EXPECT_FALSE(user->Read("a", 100));
  EXPECT_FALSE(user->Touch("a"));
}

TEST(ProgramUserFolder, ReadersSeeTheOldFileOrTheNewOneNeverAMix) {
  test::ScratchDir scratch("user-folder-race");
  const LocalAppData here(scratch.path());
  std::unique_ptr<UserFolder> writer = OpenProgramUserFolder("");
  std::unique_ptr<UserFolder> reader = OpenProgramUserFolder("");  // as another copy would
  const std::string versions[2] = {std::string(100'000, 'a'), std::string(300'000, 'b')};
  ASSERT_TRUE(writer->Write("shared", Bytes(versions[0])));
  std::atomic<bool> done = false;
  int written = 0;
  std::thread writing([&] {
    for (int i = 1; i <= 60; ++i)
      written += writer->Write("shared", Bytes(versions[i % 2])) ? 1 : 0;
    done = true;
  });
  int reads = 0, mixed = 0;
  while (!done) {
    if (std::optional<ByteSet> seen = reader->Read("shared", 1 << 20)) {
      ++reads;
      mixed += seen->view() == versions[0] || seen->view() == versions[1] ? 0 : 1;
    }
  }
  writing.join();
  EXPECT_EQ(mixed, 0) << "of " << reads << " reads";
  EXPECT_GT(reads, 0);
  EXPECT_GT(written, 0);
  // No staged file stays behind a write that ended.
  const std::optional<std::vector<UserFileInfo>> files = reader->List();
  ASSERT_TRUE(files);
  for (const UserFileInfo& file : *files) EXPECT_FALSE(IsStagedName(file.name));
}
#endif

}  // namespace
}  // namespace lq
