// Property tables: every kind's properties by index, with their value types and defaults.
//
// Indices 0 to 7 are common to the window and every control; indices from 8 on are the kind's
// own. A menu item has only its own four (0 caption, 1 check mark, 2 disabled, 3 visible).
// Indices that nothing in the program uses are kept as "reserved" integers: they can be stored
// and read back, and mean nothing to the windows.
#pragma once

#include <array>
#include <cstdint>
#include <initializer_list>
#include <span>
#include <string_view>

#include "runtime/forms/unit_kind.h"

namespace lq {

enum class PropertyType : std::uint8_t {
  kInteger,
  kLogical,
  kText,
  kByteSet,
  kPick,    // an integer choosing one of the options 0..pick_max, clamped into that range
  kColour,  // a Windows RGB value; kSystemButtonFace means the system's button-face colour
  kFont,    // a 60-byte LOGFONT
};

inline constexpr std::uint32_t kSystemButtonFace = 0xff000000;

// Left and top are clamped to this range, width and height to 0 .. kMaxCoordinate.
inline constexpr std::int32_t kMaxCoordinate = 32627;
inline constexpr std::int32_t kMinCoordinate = -32627;

// Common properties.
inline constexpr int kPropLeft = 0;
inline constexpr int kPropTop = 1;
inline constexpr int kPropWidth = 2;
inline constexpr int kPropHeight = 3;
inline constexpr int kPropTag = 4;
inline constexpr int kPropVisible = 5;
inline constexpr int kPropDisabled = 6;
inline constexpr int kPropMousePointer = 7;
inline constexpr int kFirstOwnProperty = 8;

// Window.
inline constexpr int kWindowTitle = 8;
inline constexpr int kWindowBorder = 9;  // 0 none, 1 resizable, 2 fixed single, 3 resizable tool
                                         // window, 4 fixed tool window, 5 resizable with sunken
                                         // client edge, 6 fixed with sunken client edge
inline constexpr int kWindowBackColour = 10;
inline constexpr int kWindowBackPicture = 11;
inline constexpr int kWindowPictureMode = 12;
inline constexpr int kWindowControlBox = 15;
inline constexpr int kWindowMaxButton = 16;
inline constexpr int kWindowMinButton = 17;
inline constexpr int kWindowPosition = 18;  // 0 normal, 1 centred, 2 minimised, 3 maximised
inline constexpr int kWindowMovable = 19;
inline constexpr int kWindowIcon = 20;
inline constexpr int kWindowTopmost = 29;

// Menu item.
inline constexpr int kMenuCaption = 0;
inline constexpr int kMenuChecked = 1;
inline constexpr int kMenuDisabled = 2;
inline constexpr int kMenuVisible = 3;

// EditBox.
inline constexpr int kEditContent = 8;
inline constexpr int kEditBorder = 9;  // as kPicBorder
inline constexpr int kEditTextColour = 10;
inline constexpr int kEditBackColour = 11;
inline constexpr int kEditFont = 12;
inline constexpr int kEditHideSelection = 13;
inline constexpr int kEditMaxLength = 14;
inline constexpr int kEditMultiLine = 15;
inline constexpr int kEditScrollBars = 16;  // 0 none, 1 horizontal, 2 vertical, 3 both
inline constexpr int kEditAlignment = 17;   // 0 left, 1 centre, 2 right
inline constexpr int kEditInputMode = 18;   // 0 normal, 1 read-only, 2 password, 3 digits only
inline constexpr int kEditPasswordChar = 19;
inline constexpr int kEditCase = 20;  // 0 as typed, 1 lower case, 2 upper case

// PicBox.
inline constexpr int kPicBorder = 8;  // 0 none, 1 sunken edge, 2 raised (dialog-frame) edge,
                                      // 3 thin sunken edge, 4 sunken and raised, 5 single line
inline constexpr int kPicBackColour = 9;
inline constexpr int kPicPicture = 10;
inline constexpr int kPicDisplayMode = 11;
inline constexpr int kPicAnimate = 12;

// GroupBox.
inline constexpr int kGroupCaption = 8;
inline constexpr int kGroupTextColour = 9;
inline constexpr int kGroupBackColour = 10;
inline constexpr int kGroupFont = 11;

// Label.
inline constexpr int kLabelCaption = 8;
inline constexpr int kLabelBorder = 9;              // as kPicBorder
inline constexpr int kLabelAlignment = 10;          // 0 left, 1 centre, 2 right
inline constexpr int kLabelVerticalAlignment = 11;  // 0 top, 1 middle, 2 bottom
inline constexpr int kLabelWordWrap = 12;
inline constexpr int kLabelFont = 13;
inline constexpr int kLabelTextColour = 16;
inline constexpr int kLabelBackColour = 17;

// Button.
inline constexpr int kButtonPicture = 8;
inline constexpr int kButtonType = 9;  // 0 normal, 1 default button
inline constexpr int kButtonCaption = 10;
inline constexpr int kButtonAlignment = 11;          // 0 left, 1 centre, 2 right
inline constexpr int kButtonVerticalAlignment = 12;  // 0 top, 1 middle, 2 bottom
inline constexpr int kButtonFont = 13;

// Tab.
inline constexpr int kTabCurrentPage = 8;  // 0-based; writing it switches pages
inline constexpr int kTabMultiLine = 9;
inline constexpr int kTabFont = 10;

// CommonDlg.
inline constexpr int kDialogType = 8;  // 0 open file, 1 save file, 2 font, 3 help
inline constexpr int kDialogTitle = 9;
inline constexpr int kDialogFileName = 10;
inline constexpr int kDialogFilter = 11;
inline constexpr int kDialogFilterIndex = 12;  // 0-based
inline constexpr int kDialogInitialDir = 13;
inline constexpr int kDialogDefaultExt = 14;

struct PropertyInfo {
  std::int32_t index = 0;
  std::string_view name = "reserved";
  PropertyType type = PropertyType::kInteger;
  std::int32_t pick_max = 0;        // kPick: the highest option
  std::int64_t default_number = 0;  // numeric types
  std::string_view default_text;    // kText
};

namespace property_tables {

constexpr PropertyInfo P(std::int32_t index, std::string_view name, PropertyType type,
                         std::int32_t pickMax = 0, std::int64_t defaultNumber = 0,
                         std::string_view defaultText = {}) {
  PropertyInfo info;
  info.index = index;
  info.name = name;
  info.type = type;
  info.pick_max = pickMax;
  info.default_number = defaultNumber;
  info.default_text = defaultText;
  return info;
}

inline constexpr PropertyInfo kCommon[] = {
    P(kPropLeft, "left", PropertyType::kInteger),
    P(kPropTop, "top", PropertyType::kInteger),
    P(kPropWidth, "width", PropertyType::kInteger),
    P(kPropHeight, "height", PropertyType::kInteger),
    P(kPropTag, "tag", PropertyType::kText),
    P(kPropVisible, "visible", PropertyType::kLogical, 0, 1),
    P(kPropDisabled, "disabled", PropertyType::kLogical),
    P(kPropMousePointer, "mouse pointer", PropertyType::kByteSet),
};

template <std::size_t N>
constexpr std::array<PropertyInfo, N> Make(bool common, std::initializer_list<PropertyInfo> own) {
  std::array<PropertyInfo, N> table{};
  for (std::size_t i = 0; i < N; ++i) table[i].index = static_cast<std::int32_t>(i);
  if (common) {
    for (const PropertyInfo& p : kCommon) table[static_cast<std::size_t>(p.index)] = p;
  }
  for (const PropertyInfo& p : own) table[static_cast<std::size_t>(p.index)] = p;
  return table;
}

using T = PropertyType;

inline constexpr auto kWindow =
    Make<32>(true, {
                       P(kWindowTitle, "title", T::kText),
                       P(kWindowBorder, "border", T::kPick, 6, 2),
                       P(kWindowBackColour, "background colour", T::kColour, 0, kSystemButtonFace),
                       P(kWindowBackPicture, "background picture", T::kByteSet),
                       P(kWindowPictureMode, "picture mode", T::kPick, 3),
                       P(kWindowControlBox, "control box", T::kLogical, 0, 1),
                       P(kWindowMaxButton, "maximise button", T::kLogical),
                       P(kWindowMinButton, "minimise button", T::kLogical, 0, 1),
                       P(kWindowPosition, "position", T::kPick, 3, 1),
                       P(kWindowMovable, "movable", T::kLogical, 0, 1),
                       P(kWindowIcon, "icon", T::kByteSet),
                       P(kWindowTopmost, "always on top", T::kLogical),
                   });

inline constexpr auto kMenuItem = Make<4>(false, {
                                                     P(kMenuCaption, "caption", T::kText),
                                                     P(kMenuChecked, "check mark", T::kLogical),
                                                     P(kMenuDisabled, "disabled", T::kLogical),
                                                     P(kMenuVisible, "visible", T::kLogical, 0, 1),
                                                 });

inline constexpr auto kEditBox =
    Make<29>(true, {
                       P(kEditContent, "content", T::kText),
                       P(kEditBorder, "border", T::kPick, 5, 1),
                       P(kEditTextColour, "text colour", T::kColour),
                       P(kEditBackColour, "background colour", T::kColour, 0, 0xffffff),
                       P(kEditFont, "font", T::kFont),
                       P(kEditHideSelection, "hide selection", T::kLogical, 0, 1),
                       P(kEditMaxLength, "maximum length", T::kInteger),
                       P(kEditMultiLine, "multi-line", T::kLogical),
                       P(kEditScrollBars, "scroll bars", T::kPick, 3),
                       P(kEditAlignment, "alignment", T::kPick, 2),
                       P(kEditInputMode, "input mode", T::kPick, 3),
                       P(kEditPasswordChar, "password character", T::kText, 0, 0, "*"),
                       P(kEditCase, "case conversion", T::kPick, 2),
                   });

inline constexpr auto kPicBox =
    Make<15>(true, {
                       P(kPicBorder, "border", T::kPick, 5),
                       P(kPicBackColour, "background colour", T::kColour, 0, kSystemButtonFace),
                       P(kPicPicture, "picture", T::kByteSet),
                       P(kPicDisplayMode, "display mode", T::kPick, 2),
                       P(kPicAnimate, "animate", T::kLogical),
                   });

inline constexpr auto kGroupBox =
    Make<13>(true, {
                       P(kGroupCaption, "caption", T::kText),
                       P(kGroupTextColour, "text colour", T::kColour),
                       P(kGroupBackColour, "background colour", T::kColour, 0, kSystemButtonFace),
                       P(kGroupFont, "font", T::kFont),
                   });

inline constexpr auto kLabel =
    Make<29>(true, {
                       P(kLabelCaption, "caption", T::kText),
                       P(kLabelBorder, "border", T::kPick, 5),
                       P(kLabelAlignment, "alignment", T::kPick, 2),
                       P(kLabelVerticalAlignment, "vertical alignment", T::kPick, 2),
                       P(kLabelWordWrap, "word wrap", T::kLogical, 0, 1),
                       P(kLabelFont, "font", T::kFont),
                       P(kLabelTextColour, "text colour", T::kColour),
                       P(kLabelBackColour, "background colour", T::kColour, 0, kSystemButtonFace),
                   });

inline constexpr auto kButton =
    Make<14>(true, {
                       P(kButtonPicture, "picture", T::kByteSet),
                       P(kButtonType, "type", T::kPick, 1),
                       P(kButtonCaption, "caption", T::kText),
                       P(kButtonAlignment, "alignment", T::kPick, 2, 1),
                       P(kButtonVerticalAlignment, "vertical alignment", T::kPick, 2, 1),
                       P(kButtonFont, "font", T::kFont),
                   });

inline constexpr auto kTab = Make<16>(true, {
                                                P(kTabCurrentPage, "current page", T::kInteger),
                                                P(kTabMultiLine, "multi-line", T::kLogical),
                                                P(kTabFont, "font", T::kFont),
                                            });

inline constexpr auto kCommonDlg =
    Make<30>(true, {
                       P(kDialogType, "dialog type", T::kPick, 3),
                       P(kDialogTitle, "dialog title", T::kText),
                       P(kDialogFileName, "file name", T::kText),
                       P(kDialogFilter, "filter", T::kText),
                       P(kDialogFilterIndex, "initial filter index", T::kInteger),
                       P(kDialogInitialDir, "initial directory", T::kText),
                       P(kDialogDefaultExt, "default extension", T::kText),
                   });

}  // namespace property_tables

// The kind's whole property table (empty for an unknown kind).
constexpr std::span<const PropertyInfo> PropertyTable(UnitKind kind) {
  namespace t = property_tables;
  switch (kind) {
    case UnitKind::kWindow:
      return t::kWindow;
    case UnitKind::kMenuItem:
      return t::kMenuItem;
    case UnitKind::kEditBox:
      return t::kEditBox;
    case UnitKind::kPicBox:
      return t::kPicBox;
    case UnitKind::kGroupBox:
      return t::kGroupBox;
    case UnitKind::kLabel:
      return t::kLabel;
    case UnitKind::kButton:
      return t::kButton;
    case UnitKind::kTab:
      return t::kTab;
    case UnitKind::kCommonDlg:
      return t::kCommonDlg;
  }
  return {};
}

constexpr int PropertyCount(UnitKind kind) { return static_cast<int>(PropertyTable(kind).size()); }

// The property at `index`, or nullptr when the kind has no such index.
constexpr const PropertyInfo* FindProperty(UnitKind kind, int index) {
  const auto table = PropertyTable(kind);
  if (index < 0 || index >= static_cast<int>(table.size())) return nullptr;
  return &table[static_cast<std::size_t>(index)];
}

// Whether index is one of the common properties of this kind (never for menu items).
constexpr bool IsCommonProperty(UnitKind kind, int index) {
  return kind != UnitKind::kMenuItem && index >= 0 && index < kFirstOwnProperty;
}

// The index of a role that several kinds share under different numbers; -1 when the kind has
// none. Template builders use them so that ".Caption(...)" means the right property everywhere.
constexpr int CaptionIndex(UnitKind kind) {
  switch (kind) {
    case UnitKind::kWindow:
      return kWindowTitle;
    case UnitKind::kMenuItem:
      return kMenuCaption;
    case UnitKind::kEditBox:
      return kEditContent;
    case UnitKind::kGroupBox:
      return kGroupCaption;
    case UnitKind::kLabel:
      return kLabelCaption;
    case UnitKind::kButton:
      return kButtonCaption;
    default:
      return -1;
  }
}
constexpr int TextColourIndex(UnitKind kind) {
  switch (kind) {
    case UnitKind::kEditBox:
      return kEditTextColour;
    case UnitKind::kGroupBox:
      return kGroupTextColour;
    case UnitKind::kLabel:
      return kLabelTextColour;
    default:
      return -1;
  }
}
constexpr int BackColourIndex(UnitKind kind) {
  switch (kind) {
    case UnitKind::kWindow:
      return kWindowBackColour;
    case UnitKind::kEditBox:
      return kEditBackColour;
    case UnitKind::kPicBox:
      return kPicBackColour;
    case UnitKind::kGroupBox:
      return kGroupBackColour;
    case UnitKind::kLabel:
      return kLabelBackColour;
    default:
      return -1;
  }
}
constexpr int FontIndex(UnitKind kind) {
  switch (kind) {
    case UnitKind::kEditBox:
      return kEditFont;
    case UnitKind::kGroupBox:
      return kGroupFont;
    case UnitKind::kLabel:
      return kLabelFont;
    case UnitKind::kButton:
      return kButtonFont;
    case UnitKind::kTab:
      return kTabFont;
    default:
      return -1;
  }
}
constexpr int BorderIndex(UnitKind kind) {
  switch (kind) {
    case UnitKind::kWindow:
      return kWindowBorder;
    case UnitKind::kEditBox:
      return kEditBorder;
    case UnitKind::kPicBox:
      return kPicBorder;
    case UnitKind::kLabel:
      return kLabelBorder;
    default:
      return -1;
  }
}

static_assert(PropertyCount(UnitKind::kWindow) == 32);
static_assert(PropertyCount(UnitKind::kMenuItem) == 4);
static_assert(PropertyCount(UnitKind::kEditBox) == 29);
static_assert(PropertyCount(UnitKind::kPicBox) == 15);
static_assert(PropertyCount(UnitKind::kGroupBox) == 13);
static_assert(PropertyCount(UnitKind::kLabel) == 29);
static_assert(PropertyCount(UnitKind::kButton) == 14);
static_assert(PropertyCount(UnitKind::kTab) == 16);
static_assert(PropertyCount(UnitKind::kCommonDlg) == 30);

}  // namespace lq
