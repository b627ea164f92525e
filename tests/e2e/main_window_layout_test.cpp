// What the user sees of the main window: title, pages, every control of the window's template at
// its place with its caption, no menu bar, an empty directory field.
#include <gtest/gtest.h>

#include <map>
#include <string>

#include "app/main_window.h"
#include "runtime/forms/property_table.h"
#include "runtime/system/http_read.h"
#include "tests/e2e/main_window_harness.h"

namespace lq::e2e {
namespace {

// The main window's template, bound to an environment that does nothing.
const WindowTemplate& MainWindowTemplate() {
  static const InstallationEnvironment env;
  static const MainWindow window(env);
  return window.Template();
}

// The control's rectangle in its parent's client area.
RECT RectInParent(HWND control) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

void ExpectAt(HWND control, const Geometry& g) {
  const RECT r = RectInParent(control);
  EXPECT_EQ((Geometry{r.left, r.top, r.right - r.left, r.bottom - r.top}), g);
}

// The caption the template gives a control, as the window shows it.
std::wstring TemplateCaption(const ControlTemplate& c) {
  for (const PropertyInit& p : c.Properties()) {
    if (p.index == CaptionIndex(c.kind)) return Wide936(p.bytes);
  }
  return std::wstring();
}

const ControlTemplate& TemplateOf(UnitId id) {
  for (const ControlTemplate& c : MainWindowTemplate().controls) {
    if (c.id == id) return c;
  }
  throw std::invalid_argument("no such control");
}

// The tab page a control is shown on: its own, or that of the group box holding it.
int PageOf(const ControlTemplate& c) {
  return c.parent == kPageTab ? c.page : PageOf(TemplateOf(c.parent));
}

using MainWindowLayout = ProgramCopyTest;

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
  ASSERT_EQ(driver::TabCount(tab), kMainPageCount);
  for (int i = 0; i < kMainPageCount; ++i) {
    EXPECT_EQ(driver::TabCaption(program.process(), tab, i), Wide936(kMainPageCaptions[i])) << i;
  }
  EXPECT_EQ(driver::SelectedTab(tab), 0);

  EXPECT_EQ(program.Text(kDirectoryEdit), L"");
}

TEST_F(MainWindowLayout, EveryPageShowsItsControlsWhereTheTemplatePutsThem) {
  Program program(exe);
  // Looked up once: the controls stay for the window's life.
  const std::map<std::uint32_t, HWND> controls = driver::ControlsById(program.Main());
  auto control = [&controls](std::uint32_t id) {
    const auto found = controls.find(id);
    return found == controls.end() ? nullptr : found->second;
  };
  for (int page = 0; page < kMainPageCount; ++page) {
    SCOPED_TRACE(page);
    ASSERT_TRUE(program.SelectPage(page));
    for (const ControlTemplate& c : MainWindowTemplate().controls) {
      if (c.id == kPageTab || !(c.flags & kUnitVisible)) continue;
      HWND shown = control(c.id);
      ASSERT_NE(shown, nullptr) << c.name;
      if (PageOf(c) != page) {
        EXPECT_FALSE(driver::ShownToUser(shown)) << c.name;
        continue;
      }
      EXPECT_TRUE(WaitUntil([&] { return driver::ShownToUser(shown); }, 2000)) << c.name;
      ExpectAt(shown, c.geometry);
      EXPECT_EQ(driver::ReadText(shown), TemplateCaption(c)) << c.name;
    }
  }
}

}  // namespace
}  // namespace lq::e2e
