// Window templates: builders, the checks the runtime makes when it reads them, and the unit state
// a template gives.
#include <gtest/gtest.h>

#include <array>
#include <string>

#include "runtime/forms/forms_messages.h"
#include "runtime/forms/forms_registry.h"
#include "runtime/forms/template_check.h"
#include "runtime/forms/window_model.h"
#include "tests/forms/test_windows.h"
#include "tests/support/report_capture.h"

namespace lq {
namespace {

namespace u = lq::unit;

void Clicked() {}

// Builders are constant expressions: a page of buttons is data.
constexpr std::int32_t kLefts[] = {6, 86, 167, 248, 327};
constexpr std::int32_t kTops[] = {27, 65, 104, 144};
constexpr std::string_view kOnePage[] = {"ADC"};
constexpr ControlTemplate kGridPage[] = {
    u::Tab(0x16010001, "选择夹1").At(0, 0, 552, 248).Pages(kOnePage),
    u::Button(0x16010002, "按钮3")
        .At(u::GridCell(kLefts, kTops, 0, 64, 32))
        .OnPage(0x16010001, 0)
        .Caption("金克丝")
        .On(kEventClicked, &Clicked),
    u::Button(0x16010003, "按钮4").At(u::GridCell(kLefts, kTops, 7, 64, 32)).OnPage(0x16010001, 0),
};
constexpr ControlTemplate kMore[] = {
    u::Label(0x16010004, "标签1").At(8, 16, 120, 104).Caption("说明").TextColour(0xff00ff),
};
constexpr auto kJoined = JoinControls(kGridPage, kMore);

static_assert(kGridPage[1].geometry == Geometry{6, 27, 64, 32});
static_assert(kGridPage[2].geometry == Geometry{167, 65, 64, 32});
static_assert(kGridPage[1].properties[0].index == kButtonCaption);
static_assert(kGridPage[1].binding_count == 1);
static_assert(kJoined.size() == 4 && kJoined[3].id == 0x16010004);
static_assert(kMore[0].properties[1].index == kLabelTextColour);

TEST(TemplateBuilders, KindDefaultsAndRoles) {
  constexpr ControlTemplate button = u::Button(0x16010002, "b");
  EXPECT_EQ(button.flags, kUnitVisible | kUnitTakesFocus);
  EXPECT_EQ(u::Label(0x16010002, "l").flags, kUnitVisible);
  EXPECT_EQ(u::CommonDlg(0x16010002, "d").flags, 0u);
  // A later value for the same index replaces the earlier one.
  constexpr ControlTemplate twice = button.Caption("一").Caption("二");
  ASSERT_EQ(twice.property_count, 1u);
  EXPECT_EQ(twice.properties[0].bytes, "二");
  EXPECT_EQ(button.Hidden().Disabled().flags, kUnitTakesFocus | kUnitDisabled);
  constexpr MenuItemTemplate item = u::MenuItem(0x26010001, "m", "显示").Hidden().Checked();
  EXPECT_EQ(item.level, 1);
  EXPECT_EQ(item.flags, kMenuItemHidden | kMenuItemChecked);
}

TEST(TemplateChecks, TheTestProgramIsSound) {
  EXPECT_EQ(FindTemplateProblem(test::TestWindows()), "");
  const WindowTemplate one[] = {u::Window(1, 0x06010001, "w").Controls(kJoined)};
  EXPECT_EQ(FindTemplateProblem(one), "");
}

// Each broken rule is found.
TEST(TemplateChecks, BrokenRules) {
  const std::string_view pages[] = {"a", "b"};
  struct Case {
    const char* what;
    std::array<ControlTemplate, 2> controls;
  };
  const Case cases[] = {
      {"malformed unit id", {u::Button(0x15010002, "a"), u::Button(0x16010003, "b")}},
      {"menu role on a control", {u::Button(0x26010002, "a"), u::Button(0x16010003, "b")}},
      {"unit id used twice", {u::Button(0x16010002, "a"), u::Button(0x16010002, "b")}},
      {"name used twice", {u::Button(0x16010002, "a"), u::Button(0x16010003, "a")}},
      {"parent after child",
       {u::Button(0x16010002, "a").In(0x16010003), u::GroupBox(0x16010003, "g")}},
      {"parent not a container",
       {u::Button(0x16010002, "a"), u::Button(0x16010003, "b").In(0x16010002)}},
      {"page out of range",
       {u::Tab(0x16010002, "t").Pages(pages), u::Button(0x16010003, "b").OnPage(0x16010002, 2)}},
      {"tab without pages", {u::Tab(0x16010002, "t"), u::Button(0x16010003, "b")}},
      {"page in a group box",
       {u::GroupBox(0x16010002, "g"), u::Button(0x16010003, "b").OnPage(0x16010002, 1)}},
      {"common property set as own",
       {u::Button(0x16010002, "a").SetNumber(kPropLeft, 3), u::Button(0x16010003, "b")}},
      {"index beyond the kind",
       {u::Button(0x16010002, "a").SetNumber(14, 3), u::Button(0x16010003, "b")}},
      {"text for a number",
       {u::Button(0x16010002, "a").SetText(kButtonType, "x"), u::Button(0x16010003, "b")}},
      {"number for a text",
       {u::Button(0x16010002, "a").SetNumber(kButtonCaption, 1), u::Button(0x16010003, "b")}},
      {"negative width", {u::Button(0x16010002, "a").At(0, 0, -1, 5), u::Button(0x16010003, "b")}},
      {"left out of range",
       {u::Button(0x16010002, "a").At(-32628, 0, 1, 5), u::Button(0x16010003, "b")}},
      {"window kind as control",
       {u::Control(UnitKind::kWindow, 0x16010002, "a", 0), u::Button(0x16010003, "b")}},
  };
  for (const Case& c : cases) {
    const WindowTemplate windows[] = {u::Window(1, 0x06010001, "w").Controls(c.controls)};
    EXPECT_NE(FindTemplateProblem(windows), "") << c.what;
  }
}

TEST(TemplateChecks, BrokenWindowAndMenuRules) {
  const MenuItemTemplate item_first[] = {u::MenuItem(0x26010002, "m", "x")};
  const MenuItemTemplate level_two[] = {u::MenuEntry(0x26010002, "m", "x"),
                                        u::MenuEntry(0x26010003, "n", "y")};
  MenuItemTemplate deep = level_two[1];
  deep.level = 2;
  const MenuItemTemplate deeper[] = {level_two[0], deep};
  const MenuItemTemplate control_role[] = {u::MenuEntry(0x16010002, "m", "x")};
  const MenuItemTemplate name_twice[] = {u::MenuEntry(0x26010002, "w", "x"),
                                         u::MenuEntry(0x26010003, "w", "y")};
  const ControlTemplate named_w[] = {u::Button(0x16010009, "w")};

  const WindowTemplate menu_cases[][1] = {
      {u::Window(1, 0x06010001, "w").Menu(item_first)},
      {u::Window(1, 0x06010001, "w").Menu(deeper)},
      {u::Window(1, 0x06010001, "w").Menu(control_role)},
      {u::Window(1, 0x06010001, "w").Menu(name_twice)},
      {u::Window(1, 0x16010001, "w")},
      {u::Window(1, 0x06010001, "w").SetNumber(kPropVisible, 0)},
      {u::Window(1, 0x06010001, "w").On(-1, &Clicked)},
  };
  for (const auto& windows : menu_cases) EXPECT_NE(FindTemplateProblem(windows), "");
  EXPECT_EQ(FindTemplateProblem(std::span<const WindowTemplate>(
                std::array{u::Window(1, 0x06010001, "w").Controls(named_w)})),
            "");

  const WindowTemplate same_window_id[] = {u::Window(1, 0x06010001, "w"),
                                           u::Window(1, 0x06010002, "v")};
  EXPECT_NE(FindTemplateProblem(same_window_id), "");
  // Unit ids are unique across the program, not only within a window.
  const ControlTemplate a[] = {u::Button(0x16010005, "a")};
  const WindowTemplate shared_unit[] = {u::Window(1, 0x06010001, "w").Controls(a),
                                        u::Window(2, 0x06010002, "v").Controls(a)};
  EXPECT_NE(FindTemplateProblem(shared_unit), "");
}

TEST(TemplateChecks, UnreadableTemplatesAreFatal) {
  const ControlTemplate twice[] = {u::Button(0x16010002, "a"), u::Button(0x16010002, "b")};
  const WindowTemplate windows[] = {u::Window(1, 0x06010001, "w").Controls(twice)};
  EXPECT_EQ(test::FatalReportOf([&] { ReadWindowTemplates(windows); }),
            test::ReportOf(forms_messages::kTemplatesUnreadable));
  EXPECT_EQ(test::ReportOf(forms_messages::kTemplatesUnreadable),
            "运行时出错!\r\n\r\n错误信息：载入窗口模板数据段出错!\r\n");
  ForgetWindowTemplates();
}

TEST(WindowModel, UnitStateFromTemplate) {
  const WindowModel model(test::TestWindows()[0]);
  const UnitState& window = model.WindowUnit();
  EXPECT_EQ(window.kind(), UnitKind::kWindow);
  EXPECT_EQ(window.id(), test::kMainUnit);
  EXPECT_EQ(window.geometry(), (Geometry{50, 50, 400, 330}));
  EXPECT_EQ(window.TextAt(kWindowTitle), Text("测试主窗口"));
  EXPECT_EQ(window.Integer(kWindowBorder), 2);
  EXPECT_EQ(window.Integer(kWindowPosition), 1);
  EXPECT_TRUE(window.Logical(kWindowControlBox));
  EXPECT_TRUE(window.Logical(kWindowMinButton));
  EXPECT_FALSE(window.Logical(kWindowMaxButton));
  EXPECT_FALSE(window.Logical(kWindowTopmost));
  EXPECT_EQ(window.Colour(kWindowBackColour), kSystemButtonFace);
  EXPECT_EQ(model.Find(kOwnUnit), &window);
  EXPECT_EQ(model.Find(test::kMainUnit), &window);

  const UnitState* edit = model.Find(test::kPage0Edit);
  ASSERT_NE(edit, nullptr);
  EXPECT_EQ(edit->Integer(kEditInputMode), 1);
  EXPECT_EQ(edit->Integer(kEditAlignment), 1);
  EXPECT_EQ(edit->Colour(kEditTextColour), 0xff00ffu);
  EXPECT_EQ(edit->Colour(kEditBackColour), 0xdbdbdbu);
  EXPECT_TRUE(edit->takes_focus());
  EXPECT_EQ(edit->parent(), test::kTab);

  const UnitState* label = model.Find(test::kPage1Label);
  ASSERT_NE(label, nullptr);
  EXPECT_EQ(label->FontAt(kLabelFont), MakeFont(-14));
  EXPECT_EQ(label->page(), 1);
  EXPECT_EQ(label->Colour(kLabelBackColour), kSystemButtonFace);

  const UnitState* pic = model.Find(test::kPage2Pic);
  ASSERT_NE(pic, nullptr);
  EXPECT_EQ(pic->Integer(kPicBorder), 3);
  EXPECT_TRUE(pic->Logical(kPicAnimate));

  EXPECT_FALSE(model.Find(test::kPage1HiddenButton)->visible());
  EXPECT_FALSE(model.Find(test::kPage0Dialog)->visible());

  ASSERT_EQ(model.MenuItems().size(), 6u);
  const UnitState* hidden = model.Find(test::kMenuHiddenItem);
  EXPECT_FALSE(hidden->visible());
  EXPECT_TRUE(model.Find(test::kMenuCheck)->Logical(kMenuChecked));
  EXPECT_EQ(model.Find(test::kMenuShow)->TextAt(kMenuCaption), Text("显示"));
  EXPECT_EQ(model.Find(test::kMenuShow)->level(), 1);
  EXPECT_EQ(model.Find(0x16019999), nullptr);
}

}  // namespace
}  // namespace lq
