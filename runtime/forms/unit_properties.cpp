#include "runtime/forms/unit_properties.h"

#include <algorithm>

#include "runtime/errors/runtime_error.h"
#include "runtime/forms/forms_messages.h"
#include "runtime/forms/forms_registry.h"

namespace lq {
namespace {

struct Target {
  WindowRecord* record;
  UnitState* unit;
};

Target Resolve(WindowId window, UnitId unit) {
  WindowRecord* record = FindWindowRecord(window);
  if (!record) FormsFatal(forms_messages::kWindowNotInProgram);
  WindowModel& model = record->loaded ? record->loaded->Model() : record->stored;
  UnitState* state = model.Find(unit);
  if (!state) FormsFatal(forms_messages::kNoSuchWindowOrUnit);
  return {record, state};
}

PropertyValue Normalized(const UnitState& unit, const PropertyInfo& info, int part,
                         const PropertyValue& value) {
  std::optional<PropertyValue> v;
  if (part >= 0 && info.type == PropertyType::kFont) {
    if (auto font = WithFontPart(unit.FontAt(info.index), part, value)) v = PropertyValue(*font);
  } else {
    v = NormalizeValue(unit.kind(), info, value);
  }
  if (!v) RaiseRuntimeError(ErrorCode::kArgumentType);
  return *std::move(v);
}

PropertyValue Part(const PropertyInfo& info, int part, PropertyValue value) {
  if (part >= 0 && info.type == PropertyType::kFont) return FontPart(value.AsFont(), part);
  return value;
}

void Read(WindowId window, UnitId unit, int index, int part, PropertyValue& out) {
  Target t = Resolve(window, unit);
  const PropertyInfo* info = FindProperty(t.unit->kind(), index);
  if (!t.record->loaded) {
    if (!IsCommonProperty(t.unit->kind(), index)) FormsFatal(forms_messages::kWindowNotLoaded);
    out = t.unit->Get(index);
    return;
  }
  if (!info) {
    out = PropertyValue();
    return;
  }
  out = Part(*info, part, t.record->loaded->ReadProperty(*t.unit, index));
}

void Write(WindowId window, UnitId unit, int index, int part, const PropertyValue& value) {
  Target t = Resolve(window, unit);
  const PropertyInfo* info = FindProperty(t.unit->kind(), index);
  if (!t.record->loaded) {
    if (!IsCommonProperty(t.unit->kind(), index)) FormsFatal(forms_messages::kWindowNotLoaded);
    t.unit->Set(index, Normalized(*t.unit, *info, part, value));
    return;
  }
  if (!info) return;
  t.record->loaded->WriteProperty(*t.unit, index, Normalized(*t.unit, *info, part, value));
}

}  // namespace

PropertyValue ReadUnitProperty(WindowId window, UnitId unit, int index, int part) {
  PropertyValue out;
  OnGuiThread([&] { Read(window, unit, index, part, out); });
  return out;
}

void WriteUnitProperty(WindowId window, UnitId unit, int index, int part,
                       const PropertyValue& value) {
  OnGuiThread([&] { Write(window, unit, index, part, value); });
}

bool IsWindowLoaded(WindowId window) {
  bool loaded = false;
  OnGuiThread([&] {
    const WindowRecord* record = FindWindowRecord(window);
    loaded = record && record->loaded;
  });
  return loaded;
}

std::int32_t ReadIntegerProperty(WindowId window, UnitId unit, int index) {
  return ReadUnitProperty(window, unit, index).Integer();
}
bool ReadLogicalProperty(WindowId window, UnitId unit, int index) {
  return ReadUnitProperty(window, unit, index).Logical();
}
Text ReadTextProperty(WindowId window, UnitId unit, int index) {
  return ReadUnitProperty(window, unit, index).AsText();
}
ByteSet ReadBytesProperty(WindowId window, UnitId unit, int index) {
  return ReadUnitProperty(window, unit, index).AsBytes();
}
void WriteIntegerProperty(WindowId window, UnitId unit, int index, std::int32_t value) {
  WriteUnitProperty(window, unit, index, PropertyValue(value));
}
void WriteLogicalProperty(WindowId window, UnitId unit, int index, bool value) {
  WriteUnitProperty(window, unit, index, PropertyValue(value));
}
void WriteColourProperty(WindowId window, UnitId unit, int index, std::uint32_t rgb) {
  WriteUnitProperty(window, unit, index, PropertyValue::Colour(rgb));
}
void WriteTextProperty(WindowId window, UnitId unit, int index, const Text& value) {
  WriteUnitProperty(window, unit, index, PropertyValue(value));
}
void WriteBytesProperty(WindowId window, UnitId unit, int index, const ByteSet& value) {
  WriteUnitProperty(window, unit, index, PropertyValue(value));
}

PropertyValue FontPart(const FontSpec& font, int part) {
  switch (part) {
    case 0:
      return PropertyValue(Text(font.FaceName()));
    case 1:
      return PropertyValue(font.height);
    case 2:
      return PropertyValue(font.weight);
    case 3:
      return PropertyValue(font.italic != 0);
    case 4:
      return PropertyValue(font.underline != 0);
    case 5:
      return PropertyValue(font.strike_out != 0);
    case 6:
      return PropertyValue(static_cast<std::int32_t>(font.char_set));
    default:
      return PropertyValue(font);
  }
}

std::optional<FontSpec> WithFontPart(FontSpec font, int part, const PropertyValue& value) {
  if (part == 0) {
    if (!value.IsText()) return std::nullopt;
    font.face.fill('\0');
    const std::string_view face = value.AsText().view();
    std::copy_n(face.begin(), std::min(face.size(), FontSpec::kFaceSize - 1), font.face.begin());
    return font;
  }
  if (!value.IsNumeric() || part < 0 || part > 6) return std::nullopt;
  const std::int32_t n = value.Integer();
  const auto flag = static_cast<std::uint8_t>(n != 0 ? 1 : 0);
  switch (part) {
    case 1:
      font.height = n;
      break;
    case 2:
      font.weight = n;
      break;
    case 3:
      font.italic = flag;
      break;
    case 4:
      font.underline = flag;
      break;
    case 5:
      font.strike_out = flag;
      break;
    case 6:
      font.char_set = static_cast<std::uint8_t>(n);
      break;
    default:
      break;
  }
  return font;
}

}  // namespace lq
