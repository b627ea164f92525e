// The skin window's previews as the user sees them: the three pictures decoded into their boxes in
// slot order, the same picture three times for one skin in all slots, blank boxes for previews
// that cannot be fetched, and a window closed by hand that leaves the program usable. Previews
// seen before come from the user's folder: again without a byte of them sent, with the host down,
// and replaced once the host has another picture.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "runtime/pictures/decoders.h"
#include "tests/e2e/skin_window_harness.h"

namespace lq::e2e {
namespace {

// The colour of a decoded picture's pixel as 0xRRGGBB.
std::uint32_t PixelOf(const pictures::Picture& picture, int x, int y) {
  const std::uint8_t* p = picture.pixels.data() +
                          static_cast<std::size_t>(picture.height - 1 - y) * picture.stride + x * 3;
  return static_cast<std::uint32_t>(p[2]) << 16 | static_cast<std::uint32_t>(p[1]) << 8 | p[0];
}

bool Close(std::uint32_t a, std::uint32_t b) {
  for (int shift : {0, 8, 16}) {
    if (std::abs(static_cast<int>((a >> shift) & 0xff) - static_cast<int>((b >> shift) & 0xff)) >
        2) {
      return false;
    }
  }
  return true;
}

auto DecodePreview(const std::string& bytes) {
  return pictures::DecodeJpeg(std::span<const std::uint8_t>(
      reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()));
}

// The box shows the picture at its natural size from its top-left corner: every sampled point of
// the box has the picture's colour there.
::testing::AssertionResult ShowsPicture(const std::optional<driver::Pixels>& box,
                                        const std::string& picture_bytes) {
  if (!box) {
    return ::testing::AssertionFailure() << "the picture box cannot be captured";
  }
  const auto picture = DecodePreview(picture_bytes);
  if (!picture) {
    return ::testing::AssertionFailure() << "the preview is no JPEG picture";
  }
  const int width = std::min(box->width, picture->width);
  const int height = std::min(box->height, picture->height);
  for (int y = 0; y < height; y += 7) {
    for (int x = 0; x < width; x += 7) {
      if (!Close(box->At(x, y), PixelOf(*picture, x, y))) {
        return ::testing::AssertionFailure()
               << "pixel " << x << "," << y << " is " << std::hex << box->At(x, y)
               << ", the picture has " << PixelOf(*picture, x, y);
      }
    }
  }
  return ::testing::AssertionSuccess();
}

class SkinWindowPreviews : public SkinWindowRoad {
 protected:
  bool DiscoversDirectory() const override { return false; }

  // The display is shared: another program's window may cover the box for a moment, so the box
  // is captured again until it shows the picture or the time is up.
  ::testing::AssertionResult BoxShowsPicture(int slot, const std::string& picture_bytes) {
    ::testing::AssertionResult last = ::testing::AssertionFailure() << "not captured";
    WaitUntil(
        [&] {
          last = ShowsPicture(Preview(slot), picture_bytes);
          return static_cast<bool>(last);
        },
        5000);
    return last;
  }

  // Blank: all of the box in the button-face colour.
  ::testing::AssertionResult BoxIsBlank(int slot) {
    const COLORREF face = GetSysColor(COLOR_BTNFACE);
    const std::uint32_t blank = GetRValue(face) << 16 | GetGValue(face) << 8 | GetBValue(face);
    std::optional<driver::Pixels> box;
    const bool blank_seen = WaitUntil(
        [&] {
          box = Preview(slot);
          return box && box->DistinctColours() == 1 && box->At(0, 0) == blank;
        },
        5000);
    if (!blank_seen) {
      return ::testing::AssertionFailure()
             << "box " << slot << ": " << (box ? box->DistinctColours() : 0) << " colours";
    }
    return ::testing::AssertionSuccess();
  }
};

TEST_F(SkinWindowPreviews, ThreeDecodedPicturesInSlotOrder) {
  const ChampionEntry& ekko = Champion("时间刺客");
  ASSERT_TRUE(OpenSkinWindow(ekko));
  std::uint32_t corners[3] = {};
  for (int slot = 1; slot <= 3; ++slot) {
    const std::string preview = download_host::Body(ekko.skins[slot - 1].preview_url.view());
    EXPECT_TRUE(BoxShowsPicture(slot, preview)) << "slot " << slot;
    const auto picture = DecodePreview(preview);
    corners[slot - 1] = picture ? PixelOf(*picture, 5, 5) : 0;
  }
  // Three different pictures, so a box showing another slot's preview would not have matched its
  // own. (Taken from the pictures, not from another capture of the shared screen, where another
  // test's window may pass over the boxes.)
  EXPECT_NE(corners[0], corners[1]);
  EXPECT_NE(corners[1], corners[2]);
  EXPECT_NE(corners[0], corners[2]);
}

TEST_F(SkinWindowPreviews, OneSkinInAllSlotsShowsThreeTimes) {
  const ChampionEntry& trundle = Champion("巨魔之王");
  ASSERT_TRUE(OpenSkinWindow(trundle));
  const std::string preview = download_host::Body(trundle.skins[0].preview_url.view());
  for (int slot = 1; slot <= 3; ++slot) {
    EXPECT_TRUE(BoxShowsPicture(slot, preview)) << "slot " << slot;
  }
}

TEST_F(SkinWindowPreviews, PreviewsThatCannotBeFetchedLeaveBlankBoxes) {
  ASSERT_TRUE(download_host::SetFault("status:404", "/lolbf/imgs/"));
  ASSERT_TRUE(OpenSkinWindow(Champion("时间刺客")));
  for (int slot = 1; slot <= 3; ++slot) {
    EXPECT_TRUE(BoxIsBlank(slot));
  }
  // The load buttons work all the same.
  EXPECT_EQ(Caption(1), L"载入");
}

TEST_F(SkinWindowPreviews, ClosingByHandReturnsToTheMainWindow) {
  HWND window = OpenSkinWindow(Champion("巨魔之王"));
  ASSERT_TRUE(window);
  EXPECT_FALSE(IsWindowEnabled(program().Main()));  // modal
  driver::CloseAsUser(window);
  ASSERT_TRUE(WaitSkinWindowGone());
  EXPECT_TRUE(WaitUntil([&] { return IsWindowEnabled(program().Main()) != FALSE; }));

  // The next champion fills the slots anew before its window opens.
  const ChampionEntry& ekko = Champion("时间刺客");
  ASSERT_TRUE(OpenSkinWindow(ekko));
  EXPECT_TRUE(BoxShowsPicture(2, download_host::Body(ekko.skins[1].preview_url.view())));
  EXPECT_TRUE(program().NoMessage());
}

// What happens between a first opening of a champion's window, which keeps its previews, and the
// next ones. The program keeps previews in "LOLQuillet\\previews" of its LOCALAPPDATA, here a
// folder of the test's own.
enum class Between { kNothing, kHostDown, kPreviewChanged };
struct Reopening {
  const char* name;
  Between between;
};

void PrintTo(const Reopening& row, std::ostream* out) { *out << row.name; }

const Reopening kReopenings[] = {
    {"Again", Between::kNothing},
    {"HostDown", Between::kHostDown},
    {"PreviewChanged", Between::kPreviewChanged},
};

// The host's whole state is at stake (it goes down), so these run alone.
class PreviewsKept : public SkinWindowPreviews, public ::testing::WithParamInterface<Reopening> {
 protected:
  ScopedEnvironment::Variables ProgramEnvironment() const override {
    return {{L"LOCALAPPDATA", app_data_.path().wstring()}};
  }
  void TearDown() override {
    SkinWindowPreviews::TearDown();
    if (!changed_.empty()) download_host::SetVersion(changed_, "restore=1");
  }

  // Waits until the program has kept each of the pictures: some file of its folder holds it.
  ::testing::AssertionResult WaitKept(const std::vector<std::string>& pictures) {
    const std::filesystem::path folder = app_data_.path() / L"LOLQuillet" / L"previews";
    std::size_t missing = pictures.size();
    WaitUntil([&] {
      std::error_code error;
      std::vector<std::string> files;
      for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        files.push_back(ReadFileBytes(entry.path()));
      }
      missing = 0;
      for (const std::string& picture : pictures) {
        bool found = false;
        for (const std::string& file : files) found = found || file.find(picture) != file.npos;
        missing += found ? 0 : 1;
      }
      return missing == 0;
    });
    if (missing != 0) {
      return ::testing::AssertionFailure() << missing << " pictures not kept in the user's folder";
    }
    return ::testing::AssertionSuccess();
  }

  ::testing::AssertionResult Reopen(const ChampionEntry& champion) {
    if (HWND window = SkinWindow()) {
      driver::CloseAsUser(window);
      if (!WaitSkinWindowGone()) return ::testing::AssertionFailure() << "the window stays";
    }
    if (!OpenSkinWindow(champion)) return ::testing::AssertionFailure() << "no skin window";
    return ::testing::AssertionSuccess();
  }

  test::ScratchDir app_data_{"previews-kept-appdata"};
  std::string changed_;  // the host's path whose preview this test changed
};

TEST_P(PreviewsKept, ShownFromTheUsersFolder) {
  const ChampionEntry& ekko = Champion("时间刺客");
  const ChampionEntry& sejuani = Champion("凛冬之怒");
  std::vector<std::string> paths, pictures;
  for (const SkinRecord& skin : ekko.skins) {
    paths.push_back(download_host::PathOf(skin.preview_url.view()));
    pictures.push_back(download_host::Body(skin.preview_url.view()));
  }
  ASSERT_TRUE(OpenSkinWindow(ekko));
  for (int slot = 1; slot <= 3; ++slot) EXPECT_TRUE(BoxShowsPicture(slot, pictures[slot - 1]));
  ASSERT_TRUE(WaitKept(pictures));

  switch (GetParam().between) {
    case Between::kNothing: {
      // Shown again while the host only says that nothing changed: not a byte of them is sent.
      std::vector<download_host::Sent> before;
      for (const std::string& path : paths) before.push_back(download_host::SentFor(path));
      ASSERT_TRUE(Reopen(ekko));
      for (int slot = 1; slot <= 3; ++slot) EXPECT_TRUE(BoxShowsPicture(slot, pictures[slot - 1]));
      for (int i = 0; i < 3; ++i) {
        download_host::Sent now;
        EXPECT_TRUE(WaitUntil([&] {
          now = download_host::SentFor(paths[i]);
          return now.StatusesSince(before[i]) == "304";
        })) << paths[i]
            << ": " << now.StatusesSince(before[i]);
        EXPECT_EQ(now.body_bytes, before[i].body_bytes) << paths[i];
      }
      break;
    }
    case Between::kHostDown: {
      // A skin seen before shows its previews; one never seen shows blank boxes.
      const download_host::Down down;
      ASSERT_TRUE(down.down());
      ASSERT_TRUE(Reopen(sejuani));
      for (int slot = 1; slot <= 3; ++slot) EXPECT_TRUE(BoxIsBlank(slot)) << "slot " << slot;
      ASSERT_TRUE(Reopen(ekko));
      for (int slot = 1; slot <= 3; ++slot) EXPECT_TRUE(BoxShowsPicture(slot, pictures[slot - 1]));
      break;
    }
    case Between::kPreviewChanged: {
      // The host has another picture for slot 1: it replaces the kept one, in the box and in the
      // user's folder, so that it shows with the host down too.
      changed_ = paths[0];
      const std::string other = download_host::Body(sejuani.skins[0].preview_url.view());
      ASSERT_TRUE(
          download_host::SetVersion(
              changed_, "from=" + download_host::PathOf(sejuani.skins[0].preview_url.view()))
              .ok);
      const download_host::Sent before = download_host::SentFor(changed_);
      ASSERT_TRUE(Reopen(ekko));
      EXPECT_TRUE(BoxShowsPicture(1, other));
      EXPECT_TRUE(BoxShowsPicture(2, pictures[1]));
      EXPECT_EQ(download_host::SentFor(changed_).StatusesSince(before), "200");
      ASSERT_TRUE(WaitKept({other, pictures[1], pictures[2]}));
      const download_host::Down down;
      ASSERT_TRUE(down.down());
      ASSERT_TRUE(Reopen(ekko));
      EXPECT_TRUE(BoxShowsPicture(1, other));
      EXPECT_TRUE(BoxShowsPicture(3, pictures[2]));
      break;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Reopenings, PreviewsKept, ::testing::ValuesIn(kReopenings),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace lq::e2e
