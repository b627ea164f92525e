// The window model's rules without windows: centring, menus, tab pages, the dialog's filter and
// the tray tip.
#include <gtest/gtest.h>

#include "runtime/forms/form_rules.h"
#include "tests/forms/test_windows.h"

namespace lq {
namespace {

std::vector<UnitId> Ids(const std::vector<const UnitState*>& units) {
  std::vector<UnitId> ids;
  for (const UnitState* u : units) ids.push_back(u->id());
  return ids;
}

TEST(FormRules, CentringUsesIntegerDivision) {
  EXPECT_EQ(CentredOrigin(1024, 768, 556, 226), (Point{234, 271}));
  EXPECT_EQ(CentredOrigin(1025, 769, 484, 285), (Point{270, 242}));
  EXPECT_EQ(CentredOrigin(300, 200, 301, 203), (Point{0, -1}));
}

TEST(FormRules, MenuBarShowsVisibleEntriesWithTheirVisibleItems) {
  WindowModel model(test::TestWindows()[0]);
  auto groups = MenuBarGroups(model);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].entry->id(), test::kMenuEntry);
  EXPECT_EQ(Ids(groups[0].items), (std::vector<UnitId>{test::kMenuShow, test::kMenuExit}));
  EXPECT_EQ(Ids(groups[1].items), (std::vector<UnitId>{test::kMenuCheck}));

  // Hiding the first entry drops it and its items; the popup still has them.
  model.Find(test::kMenuEntry)->Set(kMenuVisible, false);
  groups = MenuBarGroups(model);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].entry->id(), test::kMenuEntry2);
  EXPECT_EQ(Ids(PopupItems(model, test::kMenuEntry)),
            (std::vector<UnitId>{test::kMenuShow, test::kMenuExit}));

  // With every entry hidden there is no menu bar.
  model.Find(test::kMenuEntry2)->Set(kMenuVisible, false);
  EXPECT_TRUE(MenuBarGroups(model).empty());

  // A hidden item shows once it is made visible.
  model.Find(test::kMenuHiddenItem)->Set(kMenuVisible, true);
  EXPECT_EQ(Ids(PopupItems(model, test::kMenuEntry)),
            (std::vector<UnitId>{test::kMenuShow, test::kMenuExit, test::kMenuHiddenItem}));
  EXPECT_TRUE(PopupItems(model, test::kMenuShow).empty());  // not an entry
}

TEST(FormRules, MenuCommandIds) {
  const WindowModel model(test::TestWindows()[0]);
  const UnitState* exit = model.Find(test::kMenuExit);
  const std::uint32_t command = MenuCommandId(model, *exit);
  EXPECT_LE(command, 0xffffu);  // fits the 16 bits of a menu command
  EXPECT_EQ(MenuItemByCommand(model, command), exit);
  EXPECT_EQ(MenuItemByCommand(model, kFirstMenuCommand + 6), nullptr);
  EXPECT_EQ(MenuItemByCommand(model, 1), nullptr);
}

TEST(FormRules, TabPagesDecideWhatIsShown) {
  WindowModel model(test::TestWindows()[0]);
  UnitState& tab = *model.Find(test::kTab);
  EXPECT_EQ(SelectedPage(tab), 0);
  EXPECT_TRUE(ShouldShow(model, *model.Find(test::kPage0Button)));
  EXPECT_FALSE(ShouldShow(model, *model.Find(test::kPage1Button)));
  EXPECT_TRUE(ShouldShow(model, *model.Find(test::kGroupButton)));  // follows its group box
  EXPECT_TRUE(ShouldShow(model, *model.Find(test::kOffTabButton)));
  EXPECT_FALSE(ShouldShow(model, *model.Find(test::kPage0Dialog)));

  tab.Set(kTabCurrentPage, 1);
  EXPECT_FALSE(ShouldShow(model, *model.Find(test::kPage0Button)));
  EXPECT_TRUE(ShouldShow(model, *model.Find(test::kPage1Button)));
  EXPECT_FALSE(ShouldShow(model, *model.Find(test::kPage1HiddenButton)));
  model.Find(test::kPage1HiddenButton)->Set(kPropVisible, true);
  EXPECT_TRUE(ShouldShow(model, *model.Find(test::kPage1HiddenButton)));

  EXPECT_EQ(Ids(PageControls(model, test::kTab, 1)),
            (std::vector<UnitId>{test::kPage1Button, test::kPage1HiddenButton, test::kPage1Label}));
}

TEST(FormRules, PageFocusGoesToTheLowestTabOrder) {
  WindowModel model(test::TestWindows()[0]);
  EXPECT_EQ(PageFocusControl(model, test::kTab, 0)->id(), test::kPage0Edit);  // order 0
  model.Find(test::kPage0Edit)->Set(kPropDisabled, true);
  EXPECT_EQ(PageFocusControl(model, test::kTab, 0)->id(), test::kPage0Button2);  // order 1
  model.Find(test::kPage0Button2)->Set(kPropVisible, false);
  EXPECT_EQ(PageFocusControl(model, test::kTab, 0)->id(), test::kPage0Button);
  // Labels take no focus; a hidden button is skipped.
  EXPECT_EQ(PageFocusControl(model, test::kTab, 1)->id(), test::kPage1Button);
  EXPECT_EQ(PageFocusControl(model, test::kTab, 2), nullptr);
}

TEST(FormRules, DialogFilterIsTerminated) {
  EXPECT_EQ(TerminatedFilter("程序|*.exe"), "程序|*.exe||");
  EXPECT_EQ(TerminatedFilter("程序|*.exe||"), "程序|*.exe||");
  EXPECT_EQ(TerminatedFilter("a|b|"), "a|b|||");
  EXPECT_EQ(TerminatedFilter(""), "||");
  // 81 7C is one character whose second byte is the bar's byte: not a separator.
  EXPECT_EQ(TerminatedFilter("a|\x81\x7c|"), "a|\x81\x7c|||");
  EXPECT_EQ(FilterBars("a|\x81\x7c|b"), (std::vector<std::size_t>{1, 4}));
  EXPECT_EQ(DialogFilterNumber(-3), 1);
  EXPECT_EQ(DialogFilterNumber(0), 1);
  EXPECT_EQ(DialogFilterNumber(2), 3);
}

TEST(FormRules, TrayTipKeepsSixtyTwoBytes) {
  const std::string ascii(70, 'x');
  EXPECT_EQ(TrayTip(ascii).size(), 62u);
  EXPECT_EQ(TrayTip("LOLQuillet皮肤修改"), "LOLQuillet皮肤修改");
  // 61 bytes and a two-byte character: the character would end at byte 63, so it goes.
  const std::string cut = std::string(61, 'x') + "皮肤";
  EXPECT_EQ(TrayTip(cut), std::string(61, 'x'));
  const std::string exact = std::string(60, 'x') + "皮肤";
  EXPECT_EQ(TrayTip(exact), std::string(60, 'x') + "皮");
  EXPECT_EQ(TrayTip(""), "");
}

}  // namespace
}  // namespace lq
