// A window's menus from its model: the menu bar, popups and command ids.
#include "runtime/forms/menus.h"

#include <gtest/gtest.h>

#include "tests/forms/test_windows.h"

namespace lq {
namespace {

TEST(Menus, MenuBarShowsVisibleEntriesWithTheirVisibleItems) {
  WindowModel model(test::TestWindows()[0]);
  auto groups = MenuBarGroups(model);
  ASSERT_EQ(groups.size(), 2u);
  EXPECT_EQ(groups[0].entry->id(), test::kMenuEntry);
  EXPECT_EQ(test::Ids(groups[0].items), (std::vector<UnitId>{test::kMenuShow, test::kMenuExit}));
  EXPECT_EQ(test::Ids(groups[1].items), (std::vector<UnitId>{test::kMenuCheck}));

  // Hiding the first entry drops it and its items; the popup still has them.
  model.Find(test::kMenuEntry)->Set(kMenuVisible, false);
  groups = MenuBarGroups(model);
  ASSERT_EQ(groups.size(), 1u);
  EXPECT_EQ(groups[0].entry->id(), test::kMenuEntry2);
  EXPECT_EQ(test::Ids(PopupItems(model, test::kMenuEntry)),
            (std::vector<UnitId>{test::kMenuShow, test::kMenuExit}));

  // With every entry hidden there is no menu bar.
  model.Find(test::kMenuEntry2)->Set(kMenuVisible, false);
  EXPECT_TRUE(MenuBarGroups(model).empty());

  // A hidden item shows once it is made visible.
  model.Find(test::kMenuHiddenItem)->Set(kMenuVisible, true);
  EXPECT_EQ(test::Ids(PopupItems(model, test::kMenuEntry)),
            (std::vector<UnitId>{test::kMenuShow, test::kMenuExit, test::kMenuHiddenItem}));
  EXPECT_TRUE(PopupItems(model, test::kMenuShow).empty());  // not an entry
}

TEST(Menus, CommandIdsLeadBackToTheirItems) {
  const WindowModel model(test::TestWindows()[0]);
  const UnitState* exit = model.Find(test::kMenuExit);
  const std::uint32_t command = MenuCommandId(model, *exit);
  EXPECT_LE(command, 0xffffu);  // fits the 16 bits of a menu command
  EXPECT_EQ(MenuItemByCommand(model, command), exit);
  EXPECT_EQ(MenuItemByCommand(model, kFirstMenuCommand + 6), nullptr);
  EXPECT_EQ(MenuItemByCommand(model, 1), nullptr);
}

}  // namespace
}  // namespace lq
