// The main window's template against its layout: units, ids, names, geometry, pages, bindings.
#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>

#include "app/champion_buttons.h"
#include "app/main_window.h"
#include "app/program_windows.h"
#include "runtime/forms/template_check.h"
#include "skins/catalogue.h"
#include "tests/app/window_layout.h"

namespace lq {
namespace {

using test::Property;

// The program's windows, bound to an environment that does nothing.
const ProgramWindows& Windows() {
  static const InstallationEnvironment env;
  static const ProgramWindows windows(env);
  return windows;
}
const WindowTemplate& MainWindowTemplate() { return Windows().Templates()[0]; }

const ControlTemplate* Find(UnitId id) {
  for (const ControlTemplate& c : MainWindowTemplate().controls) {
    if (c.id == id) return &c;
  }
  return nullptr;
}

std::string_view TextOf(const ControlTemplate& c, int index) {
  const PropertyInit* p = Property(c, index);
  return p ? p->bytes : std::string_view();
}
std::int64_t NumberOf(const ControlTemplate& c, int index, std::int64_t otherwise = -1) {
  const PropertyInit* p = Property(c, index);
  return p ? p->number : otherwise;
}

bool HasClickHandler(const ControlTemplate& c) {
  for (const EventBinding& b : c.Bindings()) {
    if (b.event == kEventClicked && b.handler) return true;
  }
  return false;
}

// Unique ids and names, parents before their controls, pages within their tabs.
TEST(MainWindowTemplate, PassesTheRuntimesChecks) {
  EXPECT_EQ(FindTemplateProblem(Windows().Templates()), "");
}

TEST(MainWindowTemplate, Window) {
  const WindowTemplate& w = MainWindowTemplate();
  EXPECT_EQ(w.window_id, 0x52010001u);
  EXPECT_EQ(w.id, 0x06010000u);
  EXPECT_EQ(w.geometry, (Geometry{50, 50, 556, 226}));
  EXPECT_EQ(w.flags, kUnitVisible);
  std::map<int, std::int64_t> numbers;
  for (const PropertyInit& p : w.Properties()) {
    if (p.form == PropertyInit::Form::kNumber) numbers[p.index] = p.number;
    EXPECT_NE(p.index, kWindowTitle);  // no title of its own
    EXPECT_NE(p.index, kWindowIcon);   // the program's default icon
  }
  EXPECT_EQ(numbers[kWindowBorder], 2);
  EXPECT_EQ(numbers[kWindowControlBox], 1);
  EXPECT_EQ(numbers[kWindowMinButton], 1);
  EXPECT_EQ(numbers[kWindowMaxButton], 0);
  EXPECT_EQ(numbers[kWindowPosition], 1);
  EXPECT_EQ(numbers[kWindowMovable], 1);
  EXPECT_EQ(numbers[kWindowTopmost], 0);
  std::set<int> events;
  for (const EventBinding& b : w.Bindings()) {
    EXPECT_TRUE(b.handler);
    events.insert(b.event);
  }
  EXPECT_EQ(events, (std::set<int>{kEventCreated, kEventMayClose, kEventMoved, kEventTray}));
}

TEST(MainWindowTemplate, CountsOfEachKindAndTheButtonNames) {
  std::map<UnitKind, int> kinds;
  std::set<std::string_view> names;
  for (const ControlTemplate& c : MainWindowTemplate().controls) {
    ++kinds[c.kind];
    names.insert(c.name);
    EXPECT_EQ(c.tab_order, 0);
  }
  EXPECT_EQ(kinds[UnitKind::kTab], 1);
  EXPECT_EQ(kinds[UnitKind::kEditBox], 1);
  EXPECT_EQ(kinds[UnitKind::kCommonDlg], 1);
  EXPECT_EQ(kinds[UnitKind::kGroupBox], 9);
  EXPECT_EQ(kinds[UnitKind::kLabel], 17);
  EXPECT_EQ(kinds[UnitKind::kButton], 163);
  EXPECT_EQ(MainWindowTemplate().controls.size(), 192u);
  for (int n = 1; n <= 163; ++n) {
    EXPECT_TRUE(names.count(std::string("按钮") + std::to_string(n))) << n;
  }
}

TEST(MainWindowTemplate, TabAndSettingsPage) {
  // The page captions are checked where the real tab control shows them (main_window_layout_e2e).
  const ControlTemplate* tab = Find(kPageTab);
  ASSERT_NE(tab, nullptr);
  EXPECT_EQ(tab->name, "选择夹1");

  struct Row {
    UnitId id;
    UnitKind kind;
    UnitId parent;
  };
  const Row rows[] = {
      {kDirectoryLabel, UnitKind::kLabel, kPageTab},
      {kDirectoryEdit, UnitKind::kEditBox, kPageTab},
      {kAutoDiscoverButton, UnitKind::kButton, kPageTab},
      {kPickButton, UnitKind::kButton, kPageTab},
      {kFileDialog, UnitKind::kCommonDlg, kPageTab},
      {kFunctionGroup, UnitKind::kGroupBox, kPageTab},
      {kRepairButton, UnitKind::kButton, kFunctionGroup},
  };
  for (const Row& r : rows) {
    const ControlTemplate* c = Find(r.id);
    ASSERT_NE(c, nullptr) << std::hex << r.id;
    EXPECT_EQ(c->kind, r.kind) << c->name;
    EXPECT_EQ(c->parent, r.parent) << c->name;
    EXPECT_EQ(c->page, 0) << c->name;
    EXPECT_EQ(HasClickHandler(*c), r.kind == UnitKind::kButton) << c->name;
  }
  const ControlTemplate& edit = *Find(kDirectoryEdit);
  EXPECT_EQ(NumberOf(edit, kEditInputMode), 1);  // read-only
  EXPECT_EQ(NumberOf(edit, kEditAlignment), 1);  // centred
  EXPECT_EQ(NumberOf(edit, kEditBorder), 1);     // sunken
  EXPECT_EQ(NumberOf(edit, kEditTextColour), 0xff00ff);
  EXPECT_EQ(NumberOf(edit, kEditBackColour), 0xdbdbdb);
  EXPECT_EQ(edit.flags, kUnitVisible | kUnitTakesFocus);
  EXPECT_EQ(Find(kFileDialog)->flags, 0u);  // not visible
  EXPECT_EQ(NumberOf(*Find(kFileDialog), kDialogType, 0), 0);
  EXPECT_EQ(NumberOf(*Find(kDirectoryLabel), kLabelTextColour, 0), 0);  // black
}

TEST(MainWindowTemplate, RolePagesHoldTheNotesAndTwentyButtons) {
  const std::string_view groupNames[] = {"分组框9", "分组框8", "分组框7", "分组框6",
                                         "分组框5", "分组框2", "分组框4", "分组框3"};
  for (int page = 1; page <= 8; ++page) {
    SCOPED_TRACE(page);
    const ControlTemplate* group = Find(RoleGroupId(page));
    ASSERT_NE(group, nullptr);
    EXPECT_EQ(group->name, groupNames[page - 1]);
    EXPECT_EQ(group->geometry, (Geometry{408, 24, 136, 160}));
    EXPECT_EQ(group->parent, kPageTab);
    EXPECT_EQ(group->page, page);
    EXPECT_EQ(TextOf(*group, kGroupCaption), "说明");

    const ControlTemplate* note = Find(NoteLabelId(page));
    ASSERT_NE(note, nullptr);
    EXPECT_EQ(note->parent, RoleGroupId(page));
    EXPECT_EQ(note->geometry, (Geometry{8, 16, 120, 104}));
    EXPECT_EQ(TextOf(*note, kLabelCaption), kNoteText);
    EXPECT_TRUE(kNoteText.ends_with("谢谢！！\r\n\r\n"));
    EXPECT_EQ(NumberOf(*note, kLabelTextColour), 0);
    const PropertyInit* font = Property(*note, kLabelFont);
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->font->height, -14);
    EXPECT_EQ(font->font->weight, 400);
    EXPECT_EQ(Property(*note, kLabelBackColour), nullptr);  // default background, no border
    EXPECT_EQ(Property(*note, kLabelBorder), nullptr);

    const ControlTemplate* author = Find(AuthorLabelId(page));
    ASSERT_NE(author, nullptr);
    EXPECT_EQ(author->parent, RoleGroupId(page));
    EXPECT_EQ(author->geometry, (Geometry{8, 124, 120, 24}));
    EXPECT_TRUE(TextOf(*author, kLabelCaption).starts_with("作者："));
    EXPECT_EQ(NumberOf(*author, kLabelTextColour), 0xff00ff);
  }
}

// Whatever the coordinates, every visible control lies inside its parent, and no two visible
// controls of one parent and page overlap.
TEST(MainWindowTemplate, ControlsFitTheirParentsWithoutOverlapping) {
  test::ExpectControlsFitWithoutOverlapping(MainWindowTemplate());
}

TEST(MainWindowTemplate, GridButtonsPerPage) {
  for (int page = 1; page <= 8; ++page) {
    for (int cell = 0; cell < 20; ++cell) {
      const ControlTemplate* b = Find(GridButtonId(page, cell));
      ASSERT_NE(b, nullptr);
      EXPECT_EQ(b->geometry.width, 64);
      EXPECT_EQ(b->geometry.height, 32);
      // Row by row: a row shares its top, a column its left.
      const Geometry& first = Find(GridButtonId(page, cell % 5))->geometry;
      const Geometry& row = Find(GridButtonId(page, cell - cell % 5))->geometry;
      EXPECT_EQ(b->geometry.left, first.left) << page << "/" << cell;
      EXPECT_EQ(b->geometry.top, row.top) << page << "/" << cell;
      EXPECT_EQ(b->parent, kPageTab);
      EXPECT_EQ(b->page, page);
      EXPECT_EQ(b->flags, kUnitVisible | kUnitTakesFocus);
      EXPECT_EQ(b->name, "按钮" + std::to_string(3 + (page - 1) * 20 + cell));
    }
  }
}

TEST(MainWindowTemplate, ChampionButtonsMatchTheCatalogueAndTheRestAreBlank) {
  int champions = 0;
  for (int page = 1; page <= 8; ++page) {
    for (int cell = 0; cell < 20; ++cell) {
      const ControlTemplate& b = *Find(GridButtonId(page, cell));
      const ChampionEntry* entry = FindChampionButton(page, cell);
      if (entry == nullptr) {
        EXPECT_EQ(Property(b, kButtonCaption), nullptr) << page << "/" << cell;
        EXPECT_TRUE(b.Bindings().empty());
        continue;
      }
      ++champions;
      EXPECT_EQ(TextOf(b, kButtonCaption), entry->caption.view()) << page << "/" << cell;
      ASSERT_EQ(b.Bindings().size(), 1u);
      EXPECT_EQ(b.Bindings()[0].event, kEventClicked);
      EXPECT_EQ(b.Bindings()[0].handler, ChampionButtonHandler(entry->index));
    }
  }
  EXPECT_EQ(champions, 106);
}

TEST(MainWindowTemplate, TheTrayMenuIsOneEntryWithShowAndExit) {
  const auto menu = MainWindowTemplate().menu;
  ASSERT_EQ(menu.size(), 3u);
  EXPECT_EQ(menu[0].id, 0x26010082u);
  EXPECT_EQ(menu[0].name, "菜单");
  EXPECT_EQ(menu[0].level, 0);
  EXPECT_FALSE(menu[0].handler);
  EXPECT_EQ(menu[1].id, 0x26010083u);
  EXPECT_EQ(menu[1].caption, "显示");
  EXPECT_EQ(menu[1].level, 1);
  EXPECT_TRUE(menu[1].handler);
  EXPECT_EQ(menu[2].id, 0x26010084u);
  EXPECT_EQ(menu[2].caption, "退出");
  EXPECT_EQ(menu[2].level, 1);
  EXPECT_TRUE(menu[2].handler);
  for (const MenuItemTemplate& m : menu) EXPECT_EQ(m.flags, 0u);  // hidden only at creation
}

}  // namespace
}  // namespace lq
