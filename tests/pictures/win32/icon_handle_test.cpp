// Icons built by the system from icon and cursor files.
#include "runtime/pictures/win32/icon_handle.h"

#include <gtest/gtest.h>

#include "tests/pictures/fixtures.h"
#include "tests/pictures/win32/gdi_canvas.h"

namespace lq::pictures {
namespace {

using fixtures::Bytes;
using fixtures::EncodeIconFile;

struct IconFacts {
  int width = 0;
  int height = 0;
  bool is_icon = false;
  DWORD hotspot_x = 0;
  DWORD hotspot_y = 0;
};

IconFacts Facts(HICON icon) {
  ICONINFO info{};
  EXPECT_TRUE(GetIconInfo(icon, &info));
  BITMAP bitmap{};
  GetObjectW(info.hbmColor ? info.hbmColor : info.hbmMask, sizeof(bitmap), &bitmap);
  IconFacts facts{bitmap.bmWidth, bitmap.bmHeight, info.fIcon != FALSE, info.xHotspot,
                  info.yHotspot};
  if (!info.hbmColor) {
    facts.height /= 2;  // a monochrome icon's mask holds both halves
  }
  DeleteObject(info.hbmColor);
  DeleteObject(info.hbmMask);
  return facts;
}

TEST(IconHandle, TrayIconsPreferSixteenThenThirtyTwo) {
  const Bytes ico = EncodeIconFile({{32, 16, {0, 0, 255}}, {16, 16, {255, 0, 0}}});
  UniqueIcon icon = CreateSmallIconFromFileBytes(ico);
  ASSERT_TRUE(icon);
  EXPECT_EQ(Facts(icon.get()).width, 16);
  EXPECT_TRUE(Facts(icon.get()).is_icon);

  icon = CreateIconFromFileBytes(ico, 32);
  ASSERT_TRUE(icon);
  EXPECT_EQ(Facts(icon.get()).width, 32);
}

TEST(IconHandle, NoQualifyingEntryTakesTheLast) {
  const Bytes ico = EncodeIconFile({{16, 0, {0, 0, 255}}, {48, 0, {255, 0, 0}}});
  const UniqueIcon icon = CreateSmallIconFromFileBytes(ico);
  ASSERT_TRUE(icon);
  EXPECT_EQ(Facts(icon.get()).width, 48);
  EXPECT_EQ(Facts(icon.get()).height, 48);
}

TEST(IconHandle, CursorFilesMakeCursorsWithTheirHotspot) {
  const Bytes cur = EncodeIconFile({{32, 0, {0, 128, 0}}}, true);
  const UniqueIcon cursor = CreateIconFromFileBytes(cur, 32);
  ASSERT_TRUE(cursor);
  const IconFacts facts = Facts(cursor.get());
  EXPECT_FALSE(facts.is_icon);
  EXPECT_EQ(facts.hotspot_x, 3u);
  EXPECT_EQ(facts.hotspot_y, 5u);
}

TEST(IconHandle, DrawsItsColours) {
  const UniqueIcon icon = CreateIconFromFileBytes(EncodeIconFile({{32, 16, {200, 10, 20}}}), 32);
  ASSERT_TRUE(icon);
  testing::GdiCanvas canvas(40, 40);
  const RECT all = canvas.rect();
  FillRect(canvas.dc(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(canvas.dc(), 0, 0, icon.get(), 32, 32, 0, nullptr, DI_NORMAL);
  EXPECT_EQ(canvas.At(5, 5), RGB(200, 10, 20));
  EXPECT_EQ(canvas.At(35, 35), RGB(255, 255, 255));
}

TEST(IconHandle, UnreadableFilesGiveNoIcon) {
  EXPECT_FALSE(CreateSmallIconFromFileBytes(Bytes{0, 0, 1, 0, 1, 0, 0, 0}));
  Bytes ico = EncodeIconFile({{16, 16, {1, 2, 3}}});
  ico.resize(ico.size() - 10);
  EXPECT_FALSE(CreateSmallIconFromFileBytes(ico));
  Bytes no_size = EncodeIconFile({{16, 16, {1, 2, 3}}});
  no_size[22 + 4] = 0;  // the image header's width 0
  EXPECT_FALSE(CreateIconFromFileBytes(no_size, 16));
}

TEST(IconHandle, OwnershipMovesAndReleases) {
  UniqueIcon icon = CreateIconFromFileBytes(EncodeIconFile({{16, 16, {1, 2, 3}}}), 16);
  ASSERT_TRUE(icon);
  UniqueIcon moved = std::move(icon);
  EXPECT_FALSE(icon);  // NOLINT(bugprone-use-after-move)
  ASSERT_TRUE(moved);
  HICON raw = moved.release();
  EXPECT_FALSE(moved);
  EXPECT_TRUE(DestroyIcon(raw));
}

}  // namespace
}  // namespace lq::pictures
