#include <gtest/gtest.h>

#include <set>

#include "skins/skin_slots.h"
#include "skins/skin_window.h"
#include "tests/app/window_layout.h"

namespace lq {
namespace {

using test::Property;

// The template of a skin window whose environment does nothing.
const WindowTemplate& SkinWindowTemplate() {
  static const InstallationEnvironment env;
  static const SkinWindow window(env);
  return window.Template();
}

// The units and their ids, the one place they are written out beside the program's own; the
// end-to-end tests find the controls by the program's constants.
TEST(SkinWindowTemplate, UnitsPreviewsButtonsAndReminder) {
  const WindowTemplate& w = SkinWindowTemplate();
  EXPECT_EQ(w.window_id, 0x5201005cu);
  EXPECT_EQ(w.id, 0x0601005bu);
  ASSERT_EQ(w.controls.size(), 7u);
  struct Row {
    UnitId id;
    UnitKind kind;
    std::string_view name;
  };
  const Row rows[] = {
      {0x1601005d, UnitKind::kPicBox, "图片框1"}, {0x16010096, UnitKind::kPicBox, "图片框2"},
      {0x16010098, UnitKind::kPicBox, "图片框3"}, {0x1601006b, UnitKind::kButton, "按钮1"},
      {0x16010097, UnitKind::kButton, "按钮2"},   {0x16010099, UnitKind::kButton, "按钮3"},
      {0x160100ad, UnitKind::kLabel, "标签1"},
  };
  for (std::size_t i = 0; i < 7; ++i) {
    const ControlTemplate& c = w.controls[i];
    EXPECT_EQ(c.id, rows[i].id);
    EXPECT_EQ(c.kind, rows[i].kind);
    EXPECT_EQ(c.name, rows[i].name);
    EXPECT_EQ(c.parent, 0u);
    if (c.kind == UnitKind::kPicBox) {
      EXPECT_EQ(Property(c, kPicBorder)->number, 3);
      EXPECT_EQ(Property(c, kPicDisplayMode)->number, 0);
      EXPECT_EQ(Property(c, kPicAnimate)->number, 1);
      EXPECT_EQ(Property(c, kPicPicture), nullptr);
    }
    if (c.kind == UnitKind::kButton) {
      EXPECT_EQ(Property(c, kButtonCaption)->bytes, "载入");
    }
  }
  EXPECT_EQ(Property(w.controls[6], kLabelCaption)->bytes,
            "提醒：载入新皮肤会卸载之前载入过的皮肤哦！");
  EXPECT_EQ(Property(w.controls[6], kLabelTextColour)->number, 0xff00ff);
}

// Whatever the coordinates: three previews of one size side by side, slot 1 on the left, each load
// button under its own preview, the reminder under the buttons, nothing overlapping.
TEST(SkinWindowTemplate, EachButtonUnderItsPreviewTheReminderBelow) {
  const WindowTemplate& w = SkinWindowTemplate();
  ASSERT_EQ(w.controls.size(), 7u);
  test::ExpectControlsFitWithoutOverlapping(w);
  const Geometry& reminder = w.controls[6].geometry;
  for (int slot = 0; slot < 3; ++slot) {
    SCOPED_TRACE(slot + 1);
    const Geometry& preview = w.controls[slot].geometry;
    const Geometry& button = w.controls[3 + slot].geometry;
    EXPECT_EQ(preview.width, w.controls[0].geometry.width);
    EXPECT_EQ(preview.height, w.controls[0].geometry.height);
    EXPECT_EQ(preview.top, w.controls[0].geometry.top);
    EXPECT_EQ(button.top, w.controls[3].geometry.top);
    if (slot > 0) {
      EXPECT_GE(preview.left, w.controls[slot - 1].geometry.left + preview.width);
    }
    EXPECT_GE(button.left, preview.left);
    EXPECT_LE(button.left + button.width, preview.left + preview.width);
    EXPECT_GE(button.top, preview.top + preview.height);
    EXPECT_GE(reminder.top, button.top + button.height);
    EXPECT_LE(button.top + button.height, w.geometry.height);
  }
}

TEST(SkinWindowTemplate, BindsCreatedDestroyingAndTheThreeLoadButtons) {
  std::set<int> events;
  for (const EventBinding& b : SkinWindowTemplate().Bindings()) {
    EXPECT_TRUE(b.handler);
    events.insert(b.event);
  }
  EXPECT_EQ(events, (std::set<int>{kEventCreated, kEventDestroying}));
  int bound = 0;
  for (const ControlTemplate& c : SkinWindowTemplate().controls) {
    for (const EventBinding& b : c.Bindings()) {
      EXPECT_EQ(c.kind, UnitKind::kButton);
      EXPECT_EQ(b.event, kEventClicked);
      EXPECT_TRUE(b.handler);
      ++bound;
    }
  }
  EXPECT_EQ(bound, 3);
}

TEST(SkinWindowTemplate, DestructionEmptiesAllNineSlotTexts) {
  FillSkinSlots(Catalogue()[3]);
  Handler destroying;
  for (const EventBinding& b : SkinWindowTemplate().Bindings()) {
    if (b.event == kEventDestroying) destroying = b.handler;
  }
  ASSERT_TRUE(destroying);
  destroying.Call({});
  for (int k = 1; k <= 3; ++k) EXPECT_EQ(*ProgramSkinSlot(k).Read(), SkinRecord{});
}

}  // namespace
}  // namespace lq
