// Tab pages: what is shown and what takes the focus.
#include "runtime/forms/tab_pages.h"

#include <gtest/gtest.h>

#include "runtime/forms/property_table.h"
#include "tests/forms/test_windows.h"

namespace lq {
namespace {

TEST(TabPages, DecideWhatIsShown) {
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

  EXPECT_EQ(test::Ids(PageControls(model, test::kTab, 1)),
            (std::vector<UnitId>{test::kPage1Button, test::kPage1HiddenButton, test::kPage1Label}));
}

TEST(TabPages, PageFocusGoesToTheLowestTabOrder) {
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

}  // namespace
}  // namespace lq
