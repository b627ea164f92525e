// Window templates: a window and all its units described as constant data.
//
// A program describes each of its windows by one WindowTemplate: the window's own unit (id,
// geometry, flags, properties, event bindings), a table of ControlTemplate records and a table
// of MenuItemTemplate records. The runtime reads the templates once at start-up
// (ReadWindowTemplates) and creates real windows from them on every load.
//
// Records are built with constexpr builders, so a template is a few readable tables:
//
//   namespace u = lq::unit;
//   inline constexpr std::string_view kPages[] = {"设置", "ADC"};
//   inline constexpr lq::ControlTemplate kControls[] = {
//       u::Tab(0x1601002a, "选择夹1").At(0, 0, 552, 248).Pages(kPages),
//       u::Label(0x16010040, "标签1").At(25, 34, 48, 24).OnPage(0x1601002a, 0)
//           .Caption("lo目录："),
//       u::EditBox(0x1601002b, "编辑框1").At(80, 37, 280, 20).OnPage(0x1601002a, 0)
//           .ReadOnly().Align(1).Border(1).TextColour(0xff00ff).BackColour(0xdbdbdb),
//       u::Button(0x1601002c, "按钮1").At(80, 65, 64, 24).OnPage(0x1601002a, 0)
//           .Caption("自动获取").On(lq::kEventClicked, &DiscoverGameDirectory),
//       u::GroupBox(0x16010073, "分组框1").At(3, 96, 545, 84).OnPage(0x1601002a, 0)
//           .Caption("选择功能区"),
//       u::Button(0x16010a84, "按钮163").At(21, 19, 56, 24).In(0x16010073).Caption("修复"),
//       u::CommonDlg(0x16010043, "通用对话框1").At(368, 32, 26, 26).OnPage(0x1601002a, 0),
//   };
//   inline constexpr lq::MenuItemTemplate kMenu[] = {
//       u::MenuEntry(0x26010082, "菜单", "菜单"),
//       u::MenuItem(0x26010083, "显示", "显示").On(&ShowMenuClicked),
//       u::MenuItem(0x26010084, "退出", "退出").On(&ExitMenuClicked),
//   };
//   inline constexpr lq::WindowTemplate kMainWindow =
//       u::Window(0x52010001, 0x06010000, "启动窗口").At(50, 50, 556, 226).Border(2)
//           .MaxButton(false).Position(1).Controls(kControls).Menu(kMenu)
//           .On(lq::kEventCreated, &MainWindowCreated).On(lq::kEventMayClose, &MainWindowMayClose);
//
// Pages of equal buttons: u::GridCell(columnLefts, rowTops, index, width, height) is the geometry
// of cell `index` (row by row, columns from the left), and JoinControls concatenates tables, so a
// page is one table and the window's controls are their join:
//
//   constexpr std::int32_t kAdcLefts[] = {6, 86, 167, 248, 327};
//   constexpr std::int32_t kAdcTops[] = {27, 65, 104, 144};
//   constexpr lq::ControlTemplate kAdcPage[] = {
//       u::Button(0x16010003, "按钮3").At(u::GridCell(kAdcLefts, kAdcTops, 0, 64, 32))
//           .OnPage(0x1601002a, 1).Caption("金克丝").On(lq::kEventClicked, &JinxClicked),
//       ...
//   };
//   constexpr auto kMainControls = lq::JoinControls(kSettingsPage, kAdcPage, ...);
//
// Handlers are plain functions: void() for most events, bool() for the close queries
// (kEventCloseQuery and kEventMayClose: false keeps the window), void(std::int32_t) for
// kEventTray (the TrayAction). The builders give each kind its usual flags (see namespace unit);
// properties a record does not set keep the defaults of property_table.h.
//
// Rules the runtime checks when it reads the templates (a template that breaks one is a fatal
// "载入窗口模板数据段出错!"):
// - Window ids are unique. Unit ids are well formed (unit_id.h) with the role of their record
//   (window 0, control 1, menu item 2) and unique within the program; names are unique within
//   their window.
// - Geometry: for a control relative to its parent's client area, for the window its screen
//   position and outer size. Left and top within -32627..32627, width and height 0..32627.
// - A control's parent is 0 (the window) or a GroupBox or Tab listed before it. A control on a
//   Tab names its page (0-based) with OnPage(tab, page); a Tab lists its page captions with
//   Pages(...) and has at least one page. Controls of a GroupBox use In(groupBox); they follow
//   the group box wherever it is.
// - Properties set on a record are the kind's own ones (index 8 on; for menu items 0 to 3 are set
//   through the record's fields) and of the property's type (property_table.h). Common properties
//   come from At(...) and the flags.
// - Event bindings are (event number, handler) pairs, first match wins; a binding without a
//   handler means "not handled". A menu item has one handler, for its selected event.
// - Menu items: level 0 is an entry of the window's menu bar, level 1 an item under the preceding
//   level-0 entry; the first item has level 0.
// Texts are GBK bytes (the sources' narrow literals are compiled to GBK). Records hold up to
// ControlTemplate::kMaxBindings bindings and kMaxProperties property values each; exceeding them
// in a constexpr table does not compile.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "runtime/forms/event_numbers.h"
#include "runtime/forms/handler.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/property_value.h"
#include "runtime/forms/unit_id.h"
#include "runtime/forms/unit_kind.h"

namespace lq {

struct Geometry {
  std::int32_t left = 0;
  std::int32_t top = 0;
  std::int32_t width = 0;
  std::int32_t height = 0;
  friend constexpr bool operator==(const Geometry&, const Geometry&) = default;
};

// Flags of a window or control record.
inline constexpr std::uint32_t kUnitVisible = 1;
inline constexpr std::uint32_t kUnitDisabled = 2;
inline constexpr std::uint32_t kUnitTakesFocus = 4;

// Flags of a menu item record.
inline constexpr std::uint32_t kMenuItemHidden = 1;
inline constexpr std::uint32_t kMenuItemDisabled = 2;
inline constexpr std::uint32_t kMenuItemChecked = 4;

struct EventBinding {
  std::int32_t event = 0;
  Handler handler;
};

// One of the kind's own property values in a template.
struct PropertyInit {
  enum class Form : std::uint8_t { kNumber, kText, kBytes, kFont };
  std::int32_t index = -1;
  Form form = Form::kNumber;
  std::int64_t number = 0;  // numbers, logicals (0/1), picks and colours
  std::string_view bytes;   // texts (GBK) and byte sets
  const FontSpec* font = nullptr;

  // The value as the property's runtime value (before normalisation).
  PropertyValue Value() const;
};

namespace template_detail {

// Called only when a builder's capacity is exceeded; in a constant expression this stops the
// compilation.
inline void CapacityExceeded() { std::abort(); }
inline void NoSuchRole() { std::abort(); }

}  // namespace template_detail

// What the window unit and the controls have in common, with the builders that set it.
template <class Self, std::size_t MaxBindings, std::size_t MaxProperties>
struct UnitRecord {
  static constexpr std::size_t kMaxBindings = MaxBindings;
  static constexpr std::size_t kMaxProperties = MaxProperties;

  UnitKind kind = UnitKind::kButton;
  UnitId id = 0;
  std::string_view name;    // GBK, unique within the window
  std::string_view remark;  // GBK
  Geometry geometry;
  std::uint32_t flags = 0;
  std::int32_t tab_order = 0;
  std::string_view tag;            // GBK
  std::string_view mouse_pointer;  // cursor file bytes; empty = the standard arrow
  std::array<EventBinding, MaxBindings> bindings{};
  std::size_t binding_count = 0;
  std::array<PropertyInit, MaxProperties> properties{};
  std::size_t property_count = 0;

  constexpr std::span<const EventBinding> Bindings() const {
    return {bindings.data(), binding_count};
  }
  constexpr std::span<const PropertyInit> Properties() const {
    return {properties.data(), property_count};
  }

  constexpr Self At(std::int32_t left, std::int32_t top, std::int32_t width,
                    std::int32_t height) const {
    Self s = self();
    s.geometry = {left, top, width, height};
    return s;
  }
  constexpr Self At(Geometry g) const {
    Self s = self();
    s.geometry = g;
    return s;
  }
  constexpr Self Visible(bool on = true) const { return WithFlag(kUnitVisible, on); }
  constexpr Self Hidden() const { return WithFlag(kUnitVisible, false); }
  constexpr Self Disabled(bool on = true) const { return WithFlag(kUnitDisabled, on); }
  constexpr Self TakesFocus(bool on = true) const { return WithFlag(kUnitTakesFocus, on); }
  constexpr Self TabOrder(std::int32_t order) const {
    Self s = self();
    s.tab_order = order;
    return s;
  }
  constexpr Self Remark(std::string_view gbk) const {
    Self s = self();
    s.remark = gbk;
    return s;
  }
  constexpr Self Tag(std::string_view gbk) const {
    Self s = self();
    s.tag = gbk;
    return s;
  }
  constexpr Self MousePointer(std::string_view cursorBytes) const {
    Self s = self();
    s.mouse_pointer = cursorBytes;
    return s;
  }

  // Binds a handler to an event number; bindings are searched in the order they are added.
  constexpr Self On(std::int32_t event, Handler handler) const {
    Self s = self();
    if (s.binding_count == MaxBindings) template_detail::CapacityExceeded();
    s.bindings[s.binding_count++] = {event, handler};
    return s;
  }

  // Kind's own properties by index (a later value for the same index replaces the earlier one).
  constexpr Self SetNumber(std::int32_t index, std::int64_t number) const {
    return WithProperty({index, PropertyInit::Form::kNumber, number, {}, nullptr});
  }
  constexpr Self SetLogical(std::int32_t index, bool on) const {
    return SetNumber(index, on ? 1 : 0);
  }
  constexpr Self SetColour(std::int32_t index, std::uint32_t rgb) const {
    return SetNumber(index, rgb);
  }
  constexpr Self SetText(std::int32_t index, std::string_view gbk) const {
    return WithProperty({index, PropertyInit::Form::kText, 0, gbk, nullptr});
  }
  constexpr Self SetBytes(std::int32_t index, std::string_view bytes) const {
    return WithProperty({index, PropertyInit::Form::kBytes, 0, bytes, nullptr});
  }
  constexpr Self SetFont(std::int32_t index, const FontSpec& font) const {
    return WithProperty({index, PropertyInit::Form::kFont, 0, {}, &font});
  }

  // The same roles under each kind's own index (property_table.h).
  constexpr Self Caption(std::string_view gbk) const {
    return SetText(Role(CaptionIndex(kind)), gbk);
  }
  constexpr Self TextColour(std::uint32_t rgb) const {
    return SetColour(Role(TextColourIndex(kind)), rgb);
  }
  constexpr Self BackColour(std::uint32_t rgb) const {
    return SetColour(Role(BackColourIndex(kind)), rgb);
  }
  constexpr Self Font(const FontSpec& font) const { return SetFont(Role(FontIndex(kind)), font); }
  constexpr Self Border(std::int32_t pick) const {
    return SetNumber(Role(BorderIndex(kind)), pick);
  }

 protected:
  constexpr const Self& self() const { return static_cast<const Self&>(*this); }
  constexpr Self WithFlag(std::uint32_t flag, bool on) const {
    Self s = self();
    s.flags = on ? (s.flags | flag) : (s.flags & ~flag);
    return s;
  }
  constexpr Self WithProperty(const PropertyInit& init) const {
    Self s = self();
    for (std::size_t i = 0; i < s.property_count; ++i) {
      if (s.properties[i].index == init.index) {
        s.properties[i] = init;
        return s;
      }
    }
    if (s.property_count == MaxProperties) template_detail::CapacityExceeded();
    s.properties[s.property_count++] = init;
    return s;
  }
  static constexpr std::int32_t Role(int index) {
    if (index < 0) template_detail::NoSuchRole();
    return index;
  }
};

struct ControlTemplate : UnitRecord<ControlTemplate, 4, 8> {
  UnitId parent = 0;                        // 0: on the window; else a GroupBox or the Tab
  std::int32_t page = 0;                    // the page of the Tab named by parent
  std::span<const std::string_view> pages;  // a Tab: its page captions in page order

  constexpr ControlTemplate In(UnitId groupBox) const {
    ControlTemplate s = *this;
    s.parent = groupBox;
    s.page = 0;
    return s;
  }
  constexpr ControlTemplate OnPage(UnitId tab, std::int32_t pageIndex) const {
    ControlTemplate s = *this;
    s.parent = tab;
    s.page = pageIndex;
    return s;
  }
  constexpr ControlTemplate Pages(std::span<const std::string_view> captions) const {
    ControlTemplate s = *this;
    s.pages = captions;
    return s;
  }
  // EditBox.
  constexpr ControlTemplate ReadOnly() const { return SetNumber(kEditInputMode, 1); }
  constexpr ControlTemplate Align(std::int32_t pick) const {
    return SetNumber(kind == UnitKind::kLabel    ? kLabelAlignment
                     : kind == UnitKind::kButton ? kButtonAlignment
                                                 : kEditAlignment,
                     pick);
  }
  // PicBox.
  constexpr ControlTemplate DisplayMode(std::int32_t pick) const {
    return SetNumber(kPicDisplayMode, pick);
  }
  constexpr ControlTemplate Animate(bool on = true) const { return SetLogical(kPicAnimate, on); }
};

struct MenuItemTemplate {
  UnitId id = 0;
  std::string_view name;
  std::string_view remark;
  std::int32_t level = 0;  // 0 menu-bar entry, 1 item under the preceding entry
  std::uint32_t flags = 0;
  std::string_view caption;
  Handler handler;  // raised for kEventSelected

  constexpr MenuItemTemplate Hidden(bool on = true) const { return WithFlag(kMenuItemHidden, on); }
  constexpr MenuItemTemplate Disabled(bool on = true) const {
    return WithFlag(kMenuItemDisabled, on);
  }
  constexpr MenuItemTemplate Checked(bool on = true) const {
    return WithFlag(kMenuItemChecked, on);
  }
  constexpr MenuItemTemplate On(Handler h) const {
    MenuItemTemplate s = *this;
    s.handler = h;
    return s;
  }
  constexpr MenuItemTemplate Remark(std::string_view gbk) const {
    MenuItemTemplate s = *this;
    s.remark = gbk;
    return s;
  }

 private:
  constexpr MenuItemTemplate WithFlag(std::uint32_t flag, bool on) const {
    MenuItemTemplate s = *this;
    s.flags = on ? (s.flags | flag) : (s.flags & ~flag);
    return s;
  }
};

struct WindowTemplate : UnitRecord<WindowTemplate, 16, 16> {
  WindowId window_id = 0;
  std::span<const ControlTemplate> controls;
  std::span<const MenuItemTemplate> menu;

  constexpr WindowTemplate Controls(std::span<const ControlTemplate> list) const {
    WindowTemplate s = *this;
    s.controls = list;
    return s;
  }
  constexpr WindowTemplate Menu(std::span<const MenuItemTemplate> list) const {
    WindowTemplate s = *this;
    s.menu = list;
    return s;
  }
  constexpr WindowTemplate Title(std::string_view gbk) const { return SetText(kWindowTitle, gbk); }
  constexpr WindowTemplate Position(std::int32_t pick) const {
    return SetNumber(kWindowPosition, pick);
  }
  constexpr WindowTemplate ControlBox(bool on) const { return SetLogical(kWindowControlBox, on); }
  constexpr WindowTemplate MaxButton(bool on) const { return SetLogical(kWindowMaxButton, on); }
  constexpr WindowTemplate MinButton(bool on) const { return SetLogical(kWindowMinButton, on); }
  constexpr WindowTemplate Movable(bool on) const { return SetLogical(kWindowMovable, on); }
  constexpr WindowTemplate Topmost(bool on) const { return SetLogical(kWindowTopmost, on); }
  constexpr WindowTemplate Icon(std::string_view icoBytes) const {
    return SetBytes(kWindowIcon, icoBytes);
  }
};

// Builders, one per kind, with each kind's usual flags: buttons and edit boxes are visible and
// take the focus; labels, group boxes, tabs and picture boxes are visible; the common dialog is
// not visible; the window is visible.
namespace unit {

constexpr ControlTemplate Control(UnitKind kind, UnitId id, std::string_view name,
                                  std::uint32_t flags) {
  ControlTemplate c;
  c.kind = kind;
  c.id = id;
  c.name = name;
  c.flags = flags;
  return c;
}
constexpr ControlTemplate EditBox(UnitId id, std::string_view name) {
  return Control(UnitKind::kEditBox, id, name, kUnitVisible | kUnitTakesFocus);
}
constexpr ControlTemplate PicBox(UnitId id, std::string_view name) {
  return Control(UnitKind::kPicBox, id, name, kUnitVisible);
}
constexpr ControlTemplate GroupBox(UnitId id, std::string_view name) {
  return Control(UnitKind::kGroupBox, id, name, kUnitVisible);
}
constexpr ControlTemplate Label(UnitId id, std::string_view name) {
  return Control(UnitKind::kLabel, id, name, kUnitVisible);
}
constexpr ControlTemplate Button(UnitId id, std::string_view name) {
  return Control(UnitKind::kButton, id, name, kUnitVisible | kUnitTakesFocus);
}
constexpr ControlTemplate Tab(UnitId id, std::string_view name) {
  return Control(UnitKind::kTab, id, name, kUnitVisible);
}
constexpr ControlTemplate CommonDlg(UnitId id, std::string_view name) {
  return Control(UnitKind::kCommonDlg, id, name, 0);
}

constexpr MenuItemTemplate MenuEntry(UnitId id, std::string_view name, std::string_view caption) {
  MenuItemTemplate m;
  m.id = id;
  m.name = name;
  m.level = 0;
  m.caption = caption;
  return m;
}
constexpr MenuItemTemplate MenuItem(UnitId id, std::string_view name, std::string_view caption) {
  MenuItemTemplate m = MenuEntry(id, name, caption);
  m.level = 1;
  return m;
}

constexpr WindowTemplate Window(WindowId windowId, UnitId unitId, std::string_view name) {
  WindowTemplate w;
  w.kind = UnitKind::kWindow;
  w.window_id = windowId;
  w.id = unitId;
  w.name = name;
  w.flags = kUnitVisible;
  return w;
}

// Cell `index` (row by row, columns from the left) of a grid of cells of one size whose column
// lefts and row tops are given: for pages of equal buttons.
constexpr Geometry GridCell(std::span<const std::int32_t> columnLefts,
                            std::span<const std::int32_t> rowTops, std::size_t index,
                            std::int32_t width, std::int32_t height) {
  const std::size_t columns = columnLefts.size();
  if (columns == 0 || index / columns >= rowTops.size()) template_detail::CapacityExceeded();
  return {columnLefts[index % columns], rowTops[index / columns], width, height};
}

}  // namespace unit

// Concatenates control tables (for example one per tab page) into one table.
template <std::size_t... N>
constexpr std::array<ControlTemplate, (N + ...)> JoinControls(
    const ControlTemplate (&... parts)[N]) {
  std::array<ControlTemplate, (N + ...)> all{};
  std::size_t at = 0;
  (
      (void)[&] {
        for (const ControlTemplate& c : parts) all[at++] = c;
      }(),
      ...);
  return all;
}

}  // namespace lq
