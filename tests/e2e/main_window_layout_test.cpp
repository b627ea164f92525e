// What the user sees of the main window: title, pages, every button's caption and place, no menu
// bar, a read-only directory field.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "runtime/system/http_read.h"
#include "skins/catalogue.h"
#include "tests/e2e/main_window_harness.h"

namespace lq::e2e {
namespace {

// The control's rectangle in its parent's client area.
RECT RectInParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectAt(HWND control, int left, int top, int width, int height) {
  const RECT r = RectInParent(control);
  EXPECT_EQ(r.left, left);
  EXPECT_EQ(r.top, top);
  EXPECT_EQ(r.right - r.left, width);
  EXPECT_EQ(r.bottom - r.top, height);
}

class MainWindowLayout : public ::testing::Test {
 protected:
  test::ScratchDir scratch{"layout"};
  std::filesystem::path exe = scratch.path() / ProgramNameForTest();
  void SetUp() override { CopyProgram(exe); }
};

TEST_F(MainWindowLayout, TitlePagesMenuBarAndDirectoryField) {
  const std::wstring prefix = L"Moriba  目前版本：V2.2  最新版本：";
  const std::wstring suffix = L" 如果您不是最新版本请联系作者更新";
#ifdef LQ_E2E_SHARE_CONTROL
  // The local endpoint serves the share page at the build's address: the usual page, chosen again
  // in case an interrupted test left another.
  ASSERT_EQ(HttpReadWithStatus(Text(LQ_E2E_SHARE_CONTROL "?variant=ok")).status, 200)
      << "is tools/endpoint/install_routes.py serving " << LQ_E2E_SHARE_CONTROL << "?";
#endif
  Program program(exe);
  // The title names the latest version from the share page once the page has arrived (the window
  // shows before it).
  std::wstring title = program.Text(0);
#ifdef LQ_E2E_SHARE_CONTROL
  const std::wstring expected = prefix + L"LOLQuillet V2.3 皮肤合集" + suffix;
  WaitUntil([&] { return (title = program.Text(0)) == expected; });
  EXPECT_EQ(title, expected) << "title: " << Utf8(title);
#else
  // A share page elsewhere: whatever it names, between the notice's two parts.
  EXPECT_TRUE(title.starts_with(prefix) && title.ends_with(suffix)) << "title: " << Utf8(title);
#endif
  HWND main = program.Main();
  EXPECT_EQ(GetMenu(main), nullptr);  // 菜单 is no menu bar

  HWND tab = program.Control(kPageTab);
  ASSERT_EQ(driver::TabCount(tab), 9);
  const wchar_t* pages[] = {L"设置",    L"ADC",     L"AP1页",   L"AP2页", L"上单1页",
                            L"上单2页", L"打野1页", L"打野2页", L"中单"};
  for (int i = 0; i < 9; ++i) EXPECT_EQ(TabCaption(program.process(), tab, i), pages[i]) << i;
  EXPECT_EQ(driver::SelectedTab(tab), 0);

  HWND edit = program.Control(kDirectoryEdit);
  EXPECT_TRUE(GetWindowLongW(edit, GWL_STYLE) & ES_READONLY);
  EXPECT_EQ(program.Text(kDirectoryEdit), L"");
  ExpectAt(edit, 80, 37, 280, 20);
  EXPECT_EQ(program.Text(0x16010040), L"lo目录：");
  EXPECT_EQ(program.Text(kAutoButton), L"自动获取");
  ExpectAt(program.Control(kAutoButton), 80, 65, 64, 24);
  EXPECT_EQ(program.Text(kPickButton), L"手动获取");
  ExpectAt(program.Control(kPickButton), 162, 65, 64, 24);
  EXPECT_EQ(program.Text(kRepairButton), L"修复");
  ExpectAt(program.Control(kRepairButton), 21, 19, 56, 24);  // inside 分组框1
  EXPECT_EQ(program.Text(0x16010073), L"选择功能区");
  EXPECT_TRUE(driver::ShownToUser(program.Control(kRepairButton)));
  EXPECT_FALSE(driver::ShownToUser(program.Control(GridButtonId(1, 0))));
}

TEST_F(MainWindowLayout, EveryRolePageShowsItsGridAndNotes) {
  Program program(exe);
  // Looked up once: the controls stay for the window's life.
  std::map<std::uint32_t, HWND> controls;
  for (HWND c : driver::Descendants(program.Main())) controls[driver::ControlId(c)] = c;
  auto control = [&controls](std::uint32_t id) {
    return controls.count(id) ? controls[id] : nullptr;
  };
  struct Grid {
    int lefts[5];
    int tops[4];
  };
  const Grid grids[8] = {
      {{6, 86, 167, 248, 327}, {27, 65, 104, 144}}, {{6, 85, 162, 241, 323}, {27, 66, 105, 144}},
      {{8, 87, 164, 243, 325}, {27, 66, 105, 144}}, {{9, 88, 165, 244, 326}, {25, 64, 103, 142}},
      {{8, 87, 164, 243, 325}, {27, 66, 105, 144}}, {{8, 87, 164, 243, 325}, {25, 64, 103, 142}},
      {{8, 87, 164, 243, 325}, {27, 66, 105, 144}}, {{8, 87, 164, 243, 325}, {27, 66, 105, 144}},
  };
  for (int page = 1; page <= 8; ++page) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(program.SelectPage(page));
    for (int cell = 0; cell < 20; ++cell) {
      HWND button = control(GridButtonId(page, cell));
      ASSERT_NE(button, nullptr);
      const ChampionEntry* champion = FindChampionButton(page, cell);
      EXPECT_EQ(driver::ReadText(button),
                champion ? Wide936(champion->caption.view()) : std::wstring())
          << cell;
      EXPECT_TRUE(WaitUntil([&] { return driver::ShownToUser(button); }, 2000)) << cell;
      ExpectAt(button, grids[page - 1].lefts[cell % 5], grids[page - 1].tops[cell / 5], 64, 32);
    }
    // The "说明" group with its two labels, and nothing of the other pages.
    HWND group = control(0x160101a0u + static_cast<std::uint32_t>(page));
    EXPECT_EQ(driver::ReadText(group), L"说明");
    ExpectAt(group, 408, 24, 136, 160);
    EXPECT_TRUE(program.Text(0x160101b0u + static_cast<std::uint32_t>(page))
                    .starts_with(L"部分皮肤我没测试过"));
    EXPECT_TRUE(
        program.Text(0x160101c0u + static_cast<std::uint32_t>(page)).starts_with(L"作者："));
    EXPECT_TRUE(driver::ShownToUser(group));
    EXPECT_FALSE(driver::ShownToUser(control(kRepairButton)));
    const int other = page == 8 ? 1 : page + 1;
    EXPECT_FALSE(driver::ShownToUser(control(GridButtonId(other, 0))));
  }
  ASSERT_TRUE(program.SelectPage(0));
  EXPECT_TRUE(WaitUntil([&] { return driver::ShownToUser(program.Control(kRepairButton)); }));
  EXPECT_FALSE(driver::ShownToUser(program.Control(GridButtonId(8, 0))));
}

}  // namespace
}  // namespace lq::e2e
