// Unit kinds and their kind codes (1 in the high 16 bits, the kind's number in the low 16 bits).
#pragma once

#include <cstdint>
#include <string_view>

namespace lq {

enum class UnitKind : std::uint32_t {
  kWindow = 0x10001,
  kMenuItem = 0x10003,
  kEditBox = 0x10005,
  kPicBox = 0x10006,
  kGroupBox = 0x10009,
  kLabel = 0x1000a,
  kButton = 0x1000b,
  kTab = 0x10015,
  kCommonDlg = 0x1001f,
};

constexpr std::uint32_t KindCode(UnitKind kind) { return static_cast<std::uint32_t>(kind); }

constexpr bool IsKnownKindCode(std::uint32_t code) {
  switch (static_cast<UnitKind>(code)) {
    case UnitKind::kWindow:
    case UnitKind::kMenuItem:
    case UnitKind::kEditBox:
    case UnitKind::kPicBox:
    case UnitKind::kGroupBox:
    case UnitKind::kLabel:
    case UnitKind::kButton:
    case UnitKind::kTab:
    case UnitKind::kCommonDlg:
      return true;
  }
  return false;
}

// Controls are every kind but the window and the menu item.
constexpr bool IsControlKind(UnitKind kind) {
  return kind != UnitKind::kWindow && kind != UnitKind::kMenuItem &&
         IsKnownKindCode(KindCode(kind));
}

// Kinds whose units may hold other controls.
constexpr bool IsContainerKind(UnitKind kind) {
  return kind == UnitKind::kGroupBox || kind == UnitKind::kTab;
}

// Kinds whose units can have event handlers. The common dialog is no window and raises nothing.
constexpr bool CanRaiseEvents(UnitKind kind) {
  return IsKnownKindCode(KindCode(kind)) && kind != UnitKind::kCommonDlg;
}

// The kind's name in the program's own terms (ASCII, for diagnostics).
constexpr std::string_view KindName(UnitKind kind) {
  switch (kind) {
    case UnitKind::kWindow:
      return "window";
    case UnitKind::kMenuItem:
      return "menu item";
    case UnitKind::kEditBox:
      return "EditBox";
    case UnitKind::kPicBox:
      return "PicBox";
    case UnitKind::kGroupBox:
      return "GroupBox";
    case UnitKind::kLabel:
      return "Label";
    case UnitKind::kButton:
      return "Button";
    case UnitKind::kTab:
      return "Tab";
    case UnitKind::kCommonDlg:
      return "CommonDlg";
  }
  return "unknown";
}

}  // namespace lq
