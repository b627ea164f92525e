// Unit ids, kind codes and the property tables as the program addresses them.
#include <gtest/gtest.h>

#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_id.h"
#include "runtime/forms/unit_kind.h"

namespace lq {
namespace {

TEST(UnitIds, RoleMarkerAndSerial) {
  EXPECT_EQ(RoleOf(0x06010000), UnitRole::kWindow);
  EXPECT_EQ(RoleOf(0x1601002a), UnitRole::kControl);
  EXPECT_EQ(RoleOf(0x26010082), UnitRole::kMenuItem);
  EXPECT_EQ(SerialOf(0x16010a84), 0x010a84u);
  EXPECT_EQ(MakeUnitId(UnitRole::kControl, 0x10a84), 0x16010a84u);

  EXPECT_TRUE(IsWellFormedUnitId(0x0601005b));
  EXPECT_FALSE(IsWellFormedUnitId(0x16000000));  // serial 0
  EXPECT_FALSE(IsWellFormedUnitId(0x15010000));  // marker 5
  EXPECT_FALSE(IsWellFormedUnitId(0x36010000));  // no role 3
  EXPECT_FALSE(IsWellFormedUnitId(0));
}

TEST(UnitKinds, CodesAndWhatTheyMayDo) {
  EXPECT_EQ(KindCode(UnitKind::kWindow), 0x10001u);
  EXPECT_EQ(KindCode(UnitKind::kButton), 0x1000bu);
  EXPECT_EQ(KindCode(UnitKind::kCommonDlg), 0x1001fu);
  EXPECT_TRUE(IsKnownKindCode(0x10015));
  EXPECT_FALSE(IsKnownKindCode(0x10002));
  EXPECT_FALSE(IsKnownKindCode(0x20005));
  EXPECT_FALSE(CanRaiseEvents(UnitKind::kCommonDlg));
  EXPECT_TRUE(CanRaiseEvents(UnitKind::kMenuItem));
  EXPECT_FALSE(IsControlKind(UnitKind::kWindow));
  EXPECT_TRUE(IsContainerKind(UnitKind::kTab));
  EXPECT_FALSE(IsContainerKind(UnitKind::kPicBox));
}

struct Expected {
  UnitKind kind;
  int index;
  PropertyType type;
  int pick_max;
};

// The properties the program reads and writes, by the indices it uses.
TEST(PropertyTables, IndicesAndTypesTheProgramUses) {
  const Expected expected[] = {
      {UnitKind::kWindow, 8, PropertyType::kText, 0},
      {UnitKind::kWindow, 9, PropertyType::kPick, 6},
      {UnitKind::kWindow, 10, PropertyType::kColour, 0},
      {UnitKind::kWindow, 11, PropertyType::kByteSet, 0},
      {UnitKind::kWindow, 15, PropertyType::kLogical, 0},
      {UnitKind::kWindow, 16, PropertyType::kLogical, 0},
      {UnitKind::kWindow, 17, PropertyType::kLogical, 0},
      {UnitKind::kWindow, 18, PropertyType::kPick, 3},
      {UnitKind::kWindow, 19, PropertyType::kLogical, 0},
      {UnitKind::kWindow, 20, PropertyType::kByteSet, 0},
      {UnitKind::kWindow, 29, PropertyType::kLogical, 0},
      {UnitKind::kMenuItem, 0, PropertyType::kText, 0},
      {UnitKind::kMenuItem, 1, PropertyType::kLogical, 0},
      {UnitKind::kMenuItem, 2, PropertyType::kLogical, 0},
      {UnitKind::kMenuItem, 3, PropertyType::kLogical, 0},
      {UnitKind::kEditBox, 8, PropertyType::kText, 0},
      {UnitKind::kEditBox, 9, PropertyType::kPick, 5},
      {UnitKind::kEditBox, 10, PropertyType::kColour, 0},
      {UnitKind::kEditBox, 11, PropertyType::kColour, 0},
      {UnitKind::kLabel, 8, PropertyType::kText, 0},
      {UnitKind::kLabel, 16, PropertyType::kColour, 0},
      {UnitKind::kLabel, 17, PropertyType::kColour, 0},
      {UnitKind::kButton, 10, PropertyType::kText, 0},
      {UnitKind::kPicBox, 8, PropertyType::kPick, 5},
      {UnitKind::kPicBox, 9, PropertyType::kColour, 0},
      {UnitKind::kPicBox, 10, PropertyType::kByteSet, 0},
      {UnitKind::kPicBox, 11, PropertyType::kPick, 2},
      {UnitKind::kPicBox, 12, PropertyType::kLogical, 0},
      {UnitKind::kCommonDlg, 8, PropertyType::kPick, 3},
      {UnitKind::kCommonDlg, 9, PropertyType::kText, 0},
      {UnitKind::kCommonDlg, 10, PropertyType::kText, 0},
      {UnitKind::kCommonDlg, 11, PropertyType::kText, 0},
      {UnitKind::kCommonDlg, 12, PropertyType::kInteger, 0},
      {UnitKind::kCommonDlg, 13, PropertyType::kText, 0},
      {UnitKind::kCommonDlg, 14, PropertyType::kText, 0},
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE(std::string(KindName(e.kind)) + " " + std::to_string(e.index));
    const PropertyInfo* info = FindProperty(e.kind, e.index);
    ASSERT_NE(info, nullptr);
    EXPECT_EQ(info->index, e.index);
    EXPECT_EQ(info->type, e.type);
    if (e.type == PropertyType::kPick) {
      EXPECT_EQ(info->pick_max, e.pick_max);
    }
  }
}

TEST(PropertyTables, CommonPropertiesOfEveryKindButTheMenuItem) {
  for (UnitKind kind :
       {UnitKind::kWindow, UnitKind::kEditBox, UnitKind::kPicBox, UnitKind::kGroupBox,
        UnitKind::kLabel, UnitKind::kButton, UnitKind::kTab, UnitKind::kCommonDlg}) {
    SCOPED_TRACE(KindName(kind));
    const PropertyType types[8] = {PropertyType::kInteger, PropertyType::kInteger,
                                   PropertyType::kInteger, PropertyType::kInteger,
                                   PropertyType::kText,    PropertyType::kLogical,
                                   PropertyType::kLogical, PropertyType::kByteSet};
    for (int i = 0; i < 8; ++i) {
      ASSERT_NE(FindProperty(kind, i), nullptr);
      EXPECT_EQ(FindProperty(kind, i)->type, types[i]);
      EXPECT_TRUE(IsCommonProperty(kind, i));
    }
    EXPECT_EQ(FindProperty(kind, PropertyCount(kind)), nullptr);
    EXPECT_EQ(FindProperty(kind, -1), nullptr);
  }
  EXPECT_FALSE(IsCommonProperty(UnitKind::kMenuItem, 0));
  EXPECT_EQ(FindProperty(UnitKind::kMenuItem, 4), nullptr);
}

TEST(PropertyTables, SharedRolesUnderEachKindsIndex) {
  static_assert(CaptionIndex(UnitKind::kButton) == 10);
  static_assert(CaptionIndex(UnitKind::kLabel) == 8);
  static_assert(CaptionIndex(UnitKind::kMenuItem) == 0);
  static_assert(TextColourIndex(UnitKind::kLabel) == 16);
  static_assert(BackColourIndex(UnitKind::kPicBox) == 9);
  static_assert(BorderIndex(UnitKind::kPicBox) == 8);
  EXPECT_EQ(CaptionIndex(UnitKind::kPicBox), -1);
  EXPECT_EQ(FontIndex(UnitKind::kCommonDlg), -1);
}

}  // namespace
}  // namespace lq
