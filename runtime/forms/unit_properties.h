// Reading and writing unit properties by index.
//
// Rules shared by every kind:
// - The window id must be one of the program's windows: else the fatal
//   "未载入欲访问窗口组件所在的窗口". The unit must be in that window (kOwnUnit is the window
//   itself): else "指定窗口或窗口组件不存在或尚未载入".
// - Common properties (0 to 7) of a window that is not loaded are read from and written to its
//   template, and used by its next load. Any other property of a window that is not loaded is the
//   fatal "指定窗口尚未载入".
// - Values are converted to the property's type (property_value.h: picks clamped, left and top
//   clamped to -32627..32627, width and height to 0..32627); a value of an unfitting kind is the
//   fatal error 11 ("所提供参数的数据类型不符合要求"). An index that the kind does not have reads
//   as 0 and is not written.
// - `part` is -1 for the whole property. For a font property, 0 to 6 select one field: 0 face
//   name (text), 1 height, 2 weight, 3 italic, 4 underline, 5 strike-out, 6 character set.
// - Texts and byte sets are copied both ways: the caller keeps its value, a result is its own.
// - Called on another thread, the call is carried out on the GUI thread while the caller waits.
#pragma once

#include <cstdint>

#include "runtime/commands/values.h"
#include "runtime/forms/property_value.h"
#include "runtime/forms/unit_id.h"

namespace lq {

PropertyValue ReadUnitProperty(WindowId window, UnitId unit, int index, int part = -1);
void WriteUnitProperty(WindowId window, UnitId unit, int index, int part,
                       const PropertyValue& value);
inline void WriteUnitProperty(WindowId window, UnitId unit, int index, const PropertyValue& value) {
  WriteUnitProperty(window, unit, index, -1, value);
}

// Whether the window is loaded now (a program window that is not loaded, or not one: false).
bool IsWindowLoaded(WindowId window);

// Typed conveniences.
std::int32_t ReadIntegerProperty(WindowId window, UnitId unit, int index);
bool ReadLogicalProperty(WindowId window, UnitId unit, int index);
Text ReadTextProperty(WindowId window, UnitId unit, int index);
ByteSet ReadBytesProperty(WindowId window, UnitId unit, int index);
void WriteIntegerProperty(WindowId window, UnitId unit, int index, std::int32_t value);
void WriteLogicalProperty(WindowId window, UnitId unit, int index, bool value);
void WriteColourProperty(WindowId window, UnitId unit, int index, std::uint32_t rgb);
void WriteTextProperty(WindowId window, UnitId unit, int index, const Text& value);
void WriteBytesProperty(WindowId window, UnitId unit, int index, const ByteSet& value);

// One field of a font (see `part` above); nothing for a part out of range or an unfitting value.
PropertyValue FontPart(const FontSpec& font, int part);
std::optional<FontSpec> WithFontPart(FontSpec font, int part, const PropertyValue& value);

}  // namespace lq
