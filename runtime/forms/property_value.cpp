#include "runtime/forms/property_value.h"

#include <algorithm>
#include <cstring>

namespace lq {

std::string_view FontSpec::FaceName() const {
  const auto end = std::find(face.begin(), face.end(), '\0');
  return {face.data(), static_cast<std::size_t>(end - face.begin())};
}

std::array<std::uint8_t, FontSpec::kSize> FontSpec::ToBytes() const {
  std::array<std::uint8_t, kSize> out{};
  const std::int32_t longs[5] = {height, width, escapement, orientation, weight};
  for (int i = 0; i < 5; ++i) {
    const auto u = static_cast<std::uint32_t>(longs[i]);
    for (int b = 0; b < 4; ++b) out[static_cast<std::size_t>(i * 4 + b)] = (u >> (8 * b)) & 0xff;
  }
  const std::uint8_t bytes[8] = {italic,        underline,      strike_out, char_set,
                                 out_precision, clip_precision, quality,    pitch_and_family};
  std::memcpy(out.data() + 20, bytes, 8);
  std::memcpy(out.data() + 28, face.data(), kFaceSize);
  out[kSize - 1] = 0;
  return out;
}

FontSpec FontSpec::FromBytes(std::span<const std::uint8_t> bytes) {
  std::array<std::uint8_t, kSize> in{};
  std::copy_n(bytes.begin(), std::min(bytes.size(), kSize), in.begin());
  auto read32 = [&](std::size_t at) {
    std::uint32_t u = 0;
    for (int b = 3; b >= 0; --b) u = (u << 8) | in[at + static_cast<std::size_t>(b)];
    return static_cast<std::int32_t>(u);
  };
  FontSpec f;
  f.height = read32(0);
  f.width = read32(4);
  f.escapement = read32(8);
  f.orientation = read32(12);
  f.weight = read32(16);
  f.italic = in[20];
  f.underline = in[21];
  f.strike_out = in[22];
  f.char_set = in[23];
  f.out_precision = in[24];
  f.clip_precision = in[25];
  f.quality = in[26];
  f.pitch_and_family = in[27];
  std::memcpy(f.face.data(), in.data() + 28, kFaceSize);
  f.face[kFaceSize - 1] = '\0';
  return f;
}

std::int32_t PropertyValue::Integer() const {
  if (const auto* n = std::get_if<std::int32_t>(&v_)) return *n;
  if (const auto* b = std::get_if<bool>(&v_)) return *b ? 1 : 0;
  return 0;
}

const Text& PropertyValue::AsText() const {
  static const Text kEmpty;
  const auto* t = std::get_if<Text>(&v_);
  return t ? *t : kEmpty;
}

const ByteSet& PropertyValue::AsBytes() const {
  static const ByteSet kEmpty;
  const auto* b = std::get_if<ByteSet>(&v_);
  return b ? *b : kEmpty;
}

const FontSpec& PropertyValue::AsFont() const {
  static const FontSpec kDefault;
  const auto* f = std::get_if<FontSpec>(&v_);
  return f ? *f : kDefault;
}

PropertyValue DefaultValue(const PropertyInfo& info) {
  switch (info.type) {
    case PropertyType::kLogical:
      return PropertyValue(info.default_number != 0);
    case PropertyType::kText:
      return PropertyValue(Text(info.default_text));
    case PropertyType::kByteSet:
      return PropertyValue(ByteSet());
    case PropertyType::kFont:
      return PropertyValue(FontSpec());
    case PropertyType::kInteger:
    case PropertyType::kPick:
    case PropertyType::kColour:
      break;
  }
  return PropertyValue(static_cast<std::int32_t>(info.default_number));
}

std::optional<PropertyValue> NormalizeValue(UnitKind kind, const PropertyInfo& info,
                                            const PropertyValue& value) {
  switch (info.type) {
    case PropertyType::kInteger:
    case PropertyType::kColour: {
      if (!value.IsNumeric()) return std::nullopt;
      std::int32_t n = value.Integer();
      if (IsCommonProperty(kind, info.index) && info.index <= kPropHeight) {
        n = info.index == kPropLeft || info.index == kPropTop ? ClampCoordinate(n) : ClampExtent(n);
      }
      return PropertyValue(n);
    }
    case PropertyType::kPick: {
      if (!value.IsNumeric()) return std::nullopt;
      return PropertyValue(std::clamp(value.Integer(), 0, info.pick_max));
    }
    case PropertyType::kLogical:
      if (!value.IsNumeric()) return std::nullopt;
      return PropertyValue(value.Logical());
    case PropertyType::kText:
      if (!value.IsText()) return std::nullopt;
      return value;
    case PropertyType::kByteSet:
      if (value.IsBytes()) return value;
      if (value.IsText()) return PropertyValue(ByteSet::FromString(value.AsText().view()));
      return std::nullopt;
    case PropertyType::kFont:
      if (value.IsFont()) return value;
      if (value.IsBytes()) return PropertyValue(FontSpec::FromBytes(value.AsBytes().bytes()));
      return std::nullopt;
  }
  return std::nullopt;
}

}  // namespace lq
