// The preview cache over a folder in memory: what it keeps it gives back with its validators;
// it stays within its bound, the least recently used going first; an entry that is damaged, cut
// short, foreign or another address's is never given out and is replaced by the next copy kept;
// a write cut short by the end of the process leaves the copy before it, and its staged file goes
// with a later write; a folder that cannot be written keeps what it has and takes nothing new.
#include "skins/preview_cache.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/skins/support/memory_user_folder.h"

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

}  // namespace
}  // namespace lq
