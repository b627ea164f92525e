// Property values: what ReadUnitProperty returns and WriteUnitProperty takes.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>
#include <variant>

#include "runtime/commands/values.h"
#include "runtime/forms/property_table.h"
#include "runtime/forms/unit_kind.h"

namespace lq {

// A font property: the fields of a 60-byte Windows LOGFONT (face name in GBK). All zero means
// "the default GUI font".
struct FontSpec {
  static constexpr std::size_t kSize = 60;
  static constexpr std::size_t kFaceSize = 32;

  std::int32_t height = 0;  // as LOGFONT: negative = character height, positive = cell height
  std::int32_t width = 0;
  std::int32_t escapement = 0;
  std::int32_t orientation = 0;
  std::int32_t weight = 0;  // 400 normal, 700 bold
  std::uint8_t italic = 0;
  std::uint8_t underline = 0;
  std::uint8_t strike_out = 0;
  std::uint8_t char_set = 0;
  std::uint8_t out_precision = 0;
  std::uint8_t clip_precision = 0;
  std::uint8_t quality = 0;
  std::uint8_t pitch_and_family = 0;
  std::array<char, kFaceSize> face{};  // zero-terminated

  constexpr bool IsDefault() const { return *this == FontSpec{}; }
  std::string_view FaceName() const;
  std::array<std::uint8_t, kSize> ToBytes() const;
  // Shorter input is zero-filled; the face name is always kept zero-terminated.
  static FontSpec FromBytes(std::span<const std::uint8_t> bytes);

  friend constexpr bool operator==(const FontSpec&, const FontSpec&) = default;
};

inline constexpr std::uint8_t kDefaultCharSet = 1;  // DEFAULT_CHARSET

// A font for templates: MakeFont(-14) is a 14-pixel font of normal weight in the default face.
constexpr FontSpec MakeFont(std::int32_t height, std::int32_t weight = 400,
                            std::string_view gbkFace = {}) {
  FontSpec f;
  f.height = height;
  f.weight = weight;
  f.char_set = kDefaultCharSet;
  for (std::size_t i = 0; i < gbkFace.size() && i + 1 < FontSpec::kFaceSize; ++i) {
    f.face[i] = gbkFace[i];
  }
  return f;
}

class PropertyValue {
 public:
  using Storage = std::variant<std::int32_t, bool, Text, ByteSet, FontSpec>;

  PropertyValue() = default;                              // the integer 0
  PropertyValue(std::int32_t number) : v_(number) {}      // NOLINT(google-explicit-constructor)
  PropertyValue(bool logical) : v_(logical) {}            // NOLINT(google-explicit-constructor)
  PropertyValue(Text text) : v_(std::move(text)) {}       // NOLINT(google-explicit-constructor)
  PropertyValue(const char* gbk) : v_(Text(gbk)) {}       // NOLINT(google-explicit-constructor)
  PropertyValue(ByteSet bytes) : v_(std::move(bytes)) {}  // NOLINT(google-explicit-constructor)
  PropertyValue(const FontSpec& font) : v_(font) {}       // NOLINT(google-explicit-constructor)
  static PropertyValue Colour(std::uint32_t rgb) {
    return PropertyValue(static_cast<std::int32_t>(rgb));
  }

  bool IsNumeric() const { return v_.index() <= 1; }
  bool IsText() const { return std::holds_alternative<Text>(v_); }
  bool IsBytes() const { return std::holds_alternative<ByteSet>(v_); }
  bool IsFont() const { return std::holds_alternative<FontSpec>(v_); }

  // Numbers: an integer as it is, a logical as 0 or 1; 0 for anything else.
  std::int32_t Integer() const;
  bool Logical() const { return Integer() != 0; }
  std::uint32_t ColourValue() const { return static_cast<std::uint32_t>(Integer()); }
  // The text, or the empty text for other kinds.
  const Text& AsText() const;
  // The byte set, or the empty byte set for other kinds.
  const ByteSet& AsBytes() const;
  // The font, or the default font for other kinds.
  const FontSpec& AsFont() const;

  const Storage& storage() const { return v_; }
  friend bool operator==(const PropertyValue&, const PropertyValue&) = default;

 private:
  Storage v_;
};

// The value a property has when a template says nothing about it.
PropertyValue DefaultValue(const PropertyInfo& info);

constexpr std::int32_t ClampCoordinate(std::int64_t v) {
  return static_cast<std::int32_t>(v < kMinCoordinate ? kMinCoordinate
                                                      : (v > kMaxCoordinate ? kMaxCoordinate : v));
}
constexpr std::int32_t ClampExtent(std::int64_t v) {
  return static_cast<std::int32_t>(v < 0 ? 0 : (v > kMaxCoordinate ? kMaxCoordinate : v));
}

// The value in the property's own type: numbers for the numeric types (a logical counts as 0 or
// 1, a pick is clamped into its options, left/top/width/height into their ranges), a text for a
// text, a byte set for a byte set (a text gives its bytes), a font for a font (a byte set is read
// as a LOGFONT). Nothing when the value's kind does not fit the property.
std::optional<PropertyValue> NormalizeValue(UnitKind kind, const PropertyInfo& info,
                                            const PropertyValue& value);

}  // namespace lq
