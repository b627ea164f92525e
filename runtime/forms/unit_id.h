// Window ids and unit ids.
//
// Every window of the program has a 32-bit window id. Every element of a window (the window
// itself, a control, a menu item) has a 32-bit unit id, unique within the program:
//
//   bits 28..31  role: 0 the window itself, 1 a control, 2 a menu item
//   bits 24..27  always 6
//   bits  0..23  serial number, never 0
//
// A unit is addressed by the pair (window id, unit id); in calls, unit id 0 names the window's
// own unit.
#pragma once

#include <cstdint>

namespace lq {

using WindowId = std::uint32_t;
using UnitId = std::uint32_t;

enum class UnitRole : std::uint32_t { kWindow = 0, kControl = 1, kMenuItem = 2 };

inline constexpr UnitId kOwnUnit = 0;  // "the window itself" in calls
inline constexpr std::uint32_t kUnitIdMarker = 6;
inline constexpr std::uint32_t kUnitSerialMask = 0x00ffffff;

constexpr UnitId MakeUnitId(UnitRole role, std::uint32_t serial) {
  return (static_cast<std::uint32_t>(role) << 28) | (kUnitIdMarker << 24) |
         (serial & kUnitSerialMask);
}
constexpr UnitRole RoleOf(UnitId id) { return static_cast<UnitRole>(id >> 28); }
constexpr std::uint32_t SerialOf(UnitId id) { return id & kUnitSerialMask; }
constexpr bool IsWellFormedUnitId(UnitId id) {
  return ((id >> 24) & 0xf) == kUnitIdMarker && SerialOf(id) != 0 && (id >> 28) <= 2;
}

static_assert(MakeUnitId(UnitRole::kWindow, 0x10000) == 0x06010000);
static_assert(MakeUnitId(UnitRole::kControl, 0x1002a) == 0x1601002a);
static_assert(MakeUnitId(UnitRole::kMenuItem, 0x10082) == 0x26010082);

}  // namespace lq
