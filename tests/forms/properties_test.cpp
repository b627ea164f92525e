// Properties by index: conversion and clamping, the template store of a window that is not
// loaded, the fatal cases, font fields and the hand-over to the GUI thread.
#include <gtest/gtest.h>

#include <atomic>
#include <optional>
#include <thread>

#include "runtime/errors/program_end.h"
#include "runtime/forms/forms_messages.h"
#include "runtime/forms/forms_registry.h"
#include "runtime/forms/unit_properties.h"
#include "tests/forms/fake_window.h"
#include "tests/forms/test_windows.h"
#include "tests/support/report_capture.h"

namespace lq {
namespace {

using test::kDialogId;
using test::kMainId;

class Properties : public ::testing::Test {
 protected:
  void SetUp() override { ReadWindowTemplates(test::TestWindows()); }
  void TearDown() override {
    loaded_.reset();
    ForgetWindowTemplates();
    ResetProgramEndState();
  }
  test::FakeLoadedWindow& Load(WindowId id) {
    loaded_.emplace(*FindWindowRecord(id));
    return *loaded_;
  }
  void Unload() { loaded_.reset(); }

  std::optional<test::FakeLoadedWindow> loaded_;
};

TEST_F(Properties, CoordinatesAndSizesAreClamped) {
  Load(kMainId);
  WriteIntegerProperty(kMainId, test::kPage0Button, kPropLeft, -40000);
  EXPECT_EQ(ReadIntegerProperty(kMainId, test::kPage0Button, kPropLeft), -32627);
  WriteIntegerProperty(kMainId, test::kPage0Button, kPropTop, 32628);
  EXPECT_EQ(ReadIntegerProperty(kMainId, test::kPage0Button, kPropTop), 32627);
  WriteIntegerProperty(kMainId, test::kPage0Button, kPropTop, -32627);
  EXPECT_EQ(ReadIntegerProperty(kMainId, test::kPage0Button, kPropTop), -32627);

  WriteIntegerProperty(kMainId, test::kPage0Button, kPropWidth, -5);
  EXPECT_EQ(ReadIntegerProperty(kMainId, test::kPage0Button, kPropWidth), 0);
  EXPECT_EQ(ReadIntegerProperty(kMainId, test::kPage0Button, kPropHeight), 24);  // kept
  WriteIntegerProperty(kMainId, test::kPage0Button, kPropHeight, 99999);
  EXPECT_EQ(ReadIntegerProperty(kMainId, test::kPage0Button, kPropHeight), 32627);
  EXPECT_EQ(ReadIntegerProperty(kMainId, test::kPage0Button, kPropWidth), 0);
}

TEST_F(Properties, ValuesTakeThePropertysType) {
  auto& window = Load(kMainId);
  WriteIntegerProperty(kMainId, kOwnUnit, kWindowBorder, 99);
  EXPECT_EQ(ReadIntegerProperty(kMainId, kOwnUnit, kWindowBorder), 6);
  WriteIntegerProperty(kMainId, kOwnUnit, kWindowBorder, -3);
  EXPECT_EQ(ReadIntegerProperty(kMainId, kOwnUnit, kWindowBorder), 0);
  WriteIntegerProperty(kMainId, test::kPage2Pic, kPicDisplayMode, 7);
  EXPECT_EQ(ReadIntegerProperty(kMainId, test::kPage2Pic, kPicDisplayMode), 2);

  // A number for a logical, a text for a byte set.
  WriteIntegerProperty(kMainId, kOwnUnit, kWindowTopmost, 5);
  EXPECT_EQ(ReadUnitProperty(kMainId, kOwnUnit, kWindowTopmost), PropertyValue(true));
  WriteTextProperty(kMainId, test::kPage2Pic, kPicPicture, Text("GIF8"));
  EXPECT_EQ(ReadBytesProperty(kMainId, test::kPage2Pic, kPicPicture), ByteSet::FromString("GIF8"));
  WriteColourProperty(kMainId, test::kPage1Label, kLabelTextColour, kSystemButtonFace);
  EXPECT_EQ(ReadUnitProperty(kMainId, test::kPage1Label, kLabelTextColour).ColourValue(),
            kSystemButtonFace);

  // An index the kind does not have: not written, reads 0.
  const auto writes = window.writes.size();
  WriteIntegerProperty(kMainId, test::kPage0Button, 40, 7);
  EXPECT_EQ(window.writes.size(), writes);
  EXPECT_EQ(ReadUnitProperty(kMainId, test::kPage0Button, 40), PropertyValue(0));
}

TEST_F(Properties, ValueOfTheWrongKindIsFatal) {
  Load(kMainId);
  EXPECT_EQ(test::FatalReportOf(
                [] { WriteTextProperty(kMainId, test::kPage0Button, kPropLeft, Text("12")); }),
            RuntimeErrorReportText(RuntimeErrorMessage(11), 11));
  EXPECT_NE(test::FatalReportOf(
                [] { WriteIntegerProperty(kMainId, test::kPage0Button, kButtonCaption, 3); }),
            "");
}

TEST_F(Properties, TextsAreCopiedBothWays) {
  Load(kMainId);
  Text caption("正在下载");
  WriteTextProperty(kMainId, test::kPage0Button, kButtonCaption, caption);
  caption += Text("!");
  Text read = ReadTextProperty(kMainId, test::kPage0Button, kButtonCaption);
  EXPECT_EQ(read, Text("正在下载"));
  read += Text("?");
  EXPECT_EQ(ReadTextProperty(kMainId, test::kPage0Button, kButtonCaption), Text("正在下载"));
}

TEST_F(Properties, CommonPropertiesOfAnUnloadedWindowLiveInItsTemplate) {
  WriteIntegerProperty(kDialogId, test::kDialogButton, kPropLeft, -40000);
  WriteLogicalProperty(kDialogId, test::kDialogButton, kPropVisible, false);
  WriteTextProperty(kDialogId, kOwnUnit, kPropTag, Text("标记"));
  WriteIntegerProperty(kDialogId, kOwnUnit, kPropWidth, 300);
  EXPECT_EQ(ReadIntegerProperty(kDialogId, test::kDialogButton, kPropLeft), -32627);
  EXPECT_EQ(ReadIntegerProperty(kDialogId, kOwnUnit, kPropHeight), 285);

  // The next load uses them.
  auto& window = Load(kDialogId);
  const UnitState* button = window.Model().Find(test::kDialogButton);
  EXPECT_EQ(button->Integer(kPropLeft), -32627);
  EXPECT_FALSE(button->visible());
  EXPECT_EQ(window.Model().WindowUnit().TextAt(kPropTag), Text("标记"));
  EXPECT_EQ(window.Model().WindowUnit().geometry(), (Geometry{50, 50, 300, 285}));

  // What is written while loaded is the loaded window's own: the next load starts from the
  // template again.
  WriteIntegerProperty(kDialogId, test::kDialogButton, kPropTop, 7);
  WriteTextProperty(kDialogId, test::kDialogButton, kButtonCaption, Text("正在写入"));
  Unload();
  EXPECT_EQ(ReadIntegerProperty(kDialogId, test::kDialogButton, kPropTop), 190);
  auto& again = Load(kDialogId);
  EXPECT_EQ(again.Model().Find(test::kDialogButton)->TextAt(kButtonCaption), Text("载入"));
}

TEST_F(Properties, FatalCases) {
  // Own properties of a window that is not loaded.
  EXPECT_EQ(test::FatalReportOf([] {
              WriteTextProperty(kDialogId, test::kDialogButton, kButtonCaption, Text("x"));
            }),
            test::ReportOf(forms_messages::kWindowNotLoaded));
  EXPECT_EQ(test::FatalReportOf([] { ReadTextProperty(kDialogId, kOwnUnit, kWindowTitle); }),
            test::ReportOf(forms_messages::kWindowNotLoaded));
  EXPECT_EQ(test::FatalReportOf(
                [] { WriteLogicalProperty(kMainId, test::kMenuEntry, kMenuVisible, false); }),
            test::ReportOf(forms_messages::kWindowNotLoaded));
  // A window that is not the program's.
  EXPECT_EQ(test::FatalReportOf(
                [] { WriteIntegerProperty(test::kUnknownWindowId, kOwnUnit, kPropLeft, 1); }),
            test::ReportOf(forms_messages::kWindowNotInProgram));
  EXPECT_EQ(test::FatalReportOf([] { ReadIntegerProperty(test::kUnknownWindowId, 0, kPropTop); }),
            test::ReportOf(forms_messages::kWindowNotInProgram));
  // A unit that the window does not have, loaded or not.
  EXPECT_EQ(test::FatalReportOf([] { ReadIntegerProperty(kMainId, test::kDialogButton, 0); }),
            test::ReportOf(forms_messages::kNoSuchWindowOrUnit));
  Load(kMainId);
  EXPECT_EQ(test::FatalReportOf([] { ReadIntegerProperty(kMainId, test::kDialogButton, 0); }),
            test::ReportOf(forms_messages::kNoSuchWindowOrUnit));
}

TEST_F(Properties, IsWindowLoadedOnlyWhileLoaded) {
  EXPECT_FALSE(IsWindowLoaded(kDialogId));
  EXPECT_FALSE(IsWindowLoaded(test::kUnknownWindowId));
  Load(kDialogId);
  EXPECT_TRUE(IsWindowLoaded(kDialogId));
}

TEST_F(Properties, FontFields) {
  Load(kMainId);
  EXPECT_EQ(ReadUnitProperty(kMainId, test::kPage1Label, kLabelFont, 1), PropertyValue(-14));
  WriteUnitProperty(kMainId, test::kPage1Label, kLabelFont, 0, PropertyValue("宋体"));
  WriteUnitProperty(kMainId, test::kPage1Label, kLabelFont, 2, PropertyValue(700));
  WriteUnitProperty(kMainId, test::kPage1Label, kLabelFont, 4, PropertyValue(true));
  const FontSpec font = ReadUnitProperty(kMainId, test::kPage1Label, kLabelFont).AsFont();
  EXPECT_EQ(font.FaceName(), "宋体");
  EXPECT_EQ(font.weight, 700);
  EXPECT_EQ(font.underline, 1);
  EXPECT_EQ(font.height, -14);

  // A whole font as the 60 bytes of a LOGFONT.
  const auto bytes = font.ToBytes();
  EXPECT_EQ(FontSpec::FromBytes(bytes), font);
  EXPECT_EQ(bytes[0], 0xf2);   // -14, little-endian
  EXPECT_EQ(bytes[16], 0xbc);  // 700 = 0x2bc
  WriteBytesProperty(kMainId, test::kPage0Edit, kEditFont, ByteSet(bytes.data(), bytes.size()));
  EXPECT_EQ(ReadUnitProperty(kMainId, test::kPage0Edit, kEditFont).AsFont(), font);
}

// A write from another thread waits in the GUI queue until the GUI thread runs it.
std::atomic<int> g_wakes{0};
void CountWake() { ++g_wakes; }

TEST_F(Properties, OtherThreadsGoThroughTheGuiQueue) {
  Load(kMainId);
  SetGuiThread(std::this_thread::get_id());
  g_wakes = 0;
  SetGuiWaker(&CountWake);
  WriteTextProperty(kMainId, test::kPage0Button, kButtonCaption, Text("一"));
  EXPECT_EQ(g_wakes, 0);
  std::atomic<bool> written{false};
  std::thread worker([&written] {
    WriteTextProperty(kMainId, test::kPage0Button, kButtonCaption, Text("二"));
    written = true;
  });
  while (g_wakes == 0) std::this_thread::yield();
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadTextProperty(kMainId, test::kPage0Button, kButtonCaption), Text("一"));
  EXPECT_EQ(RunGuiJobs(), 1u);
  worker.join();
  EXPECT_EQ(ReadTextProperty(kMainId, test::kPage0Button, kButtonCaption), Text("二"));
  SetGuiWaker(nullptr);
}

}  // namespace
}  // namespace lq
