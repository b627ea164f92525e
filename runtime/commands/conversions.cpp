#include "runtime/commands/conversions.h"

#include <bit>
#include <charconv>
#include <cstddef>
#include <cstdio>
#include <string>
#include <string_view>
#include <variant>

#include "runtime/platform/gbk.h"

namespace lq {
namespace {

// Full-width forms of GBK that read as their ASCII ones: A3 B0..A3 B9 digits, A3 AB "+",
// A3 AD "-", A1 A1 space.
std::string FullWidthToAscii(std::string_view text) {
  const auto* s = reinterpret_cast<const unsigned char*>(text.data());
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t n = gbk::CharLength(s, i, text.size());
    char ascii = 0;
    if (n == 2 && s[i] == 0xA3) {
      const unsigned char t = s[i + 1];
      if (t >= 0xB0 && t <= 0xB9) ascii = static_cast<char>('0' + (t - 0xB0));
      if (t == 0xAB) ascii = '+';
      if (t == 0xAD) ascii = '-';
    } else if (n == 2 && s[i] == 0xA1 && s[i + 1] == 0xA1) {
      ascii = ' ';
    }
    if (ascii != 0) {
      out.push_back(ascii);
    } else {
      out.append(text.substr(i, n));
    }
    i += n;
  }
  return out;
}

std::int32_t ReadDecimal(std::string_view s) {
  std::size_t i = 0;
  auto white = [](char c) { return c == ' ' || (c >= '\t' && c <= '\r'); };
  while (i < s.size() && white(s[i])) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  std::uint32_t n = 0;  // unsigned: an overflow wraps instead of being undefined
  for (; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) n = n * 10u + std::uint32_t(s[i] - '0');
  if (negative) n = 0u - n;
  return static_cast<std::int32_t>(n);
}

template <class T>
std::string Decimal(T n) {
  char buffer[24];
  const auto result = std::to_chars(buffer, buffer + sizeof buffer, n);
  return std::string(buffer, result.ptr);
}

std::string Printed(const char* format, double v) {
  char buffer[64];
  const int n = std::snprintf(buffer, sizeof buffer, format, v);
  return std::string(buffer, n > 0 ? static_cast<std::size_t>(n) : 0);
}

void PutLittleEndian(std::vector<std::uint8_t>& out, std::uint64_t bits, std::size_t width) {
  for (std::size_t i = 0; i < width; ++i) out.push_back(static_cast<std::uint8_t>(bits >> (8 * i)));
}

template <class T>
void PutNumber(std::vector<std::uint8_t>& out, T v) {
  if constexpr (std::is_same_v<T, float>) {
    PutLittleEndian(out, std::bit_cast<std::uint32_t>(v), 4);
  } else if constexpr (std::is_same_v<T, double>) {
    PutLittleEndian(out, std::bit_cast<std::uint64_t>(v), 8);
  } else {
    PutLittleEndian(out, static_cast<std::uint64_t>(v), sizeof(T));
  }
}

template <class T>
constexpr bool kIsNumericArray = false;
template <NumericElement T>
constexpr bool kIsNumericArray<Array<T>> = true;

// The little-endian bytes of a value's payload: every payload type has one width for all the
// kinds that use it (int32_t: integer and logical; double: double and date-time).
std::vector<std::uint8_t> PayloadBytes(const Value::Payload& payload) {
  std::vector<std::uint8_t> out;
  std::visit(
      [&out](const auto& p) {
        using P = std::decay_t<decltype(p)>;
        if constexpr (std::is_same_v<P, Text> || std::is_same_v<P, ByteSet>) {
          out.assign(p.view().begin(), p.view().end());
        } else if constexpr (kIsNumericArray<P>) {
          out.reserve(p.elements().size() * sizeof(*p.elements().data()));
          for (const auto& e : p) PutNumber(out, e);
        } else if constexpr (!std::is_same_v<P, std::monostate>) {
          PutNumber(out, p);
        }
      },
      payload);
  return out;
}

}  // namespace

std::int32_t ToInteger(const Value& value) {
  switch (value.is_array() ? Kind::kNone : value.kind()) {
    case Kind::kText:
      return ReadDecimal(FullWidthToAscii(value.get_if<Text>()->view()));
    case Kind::kByte:
      return *value.get_if<std::uint8_t>();
    case Kind::kShort:
      return *value.get_if<std::int16_t>();
    case Kind::kInteger:
    case Kind::kLogical:
      return *value.get_if<std::int32_t>();
    case Kind::kSubroutine:
      return static_cast<std::int32_t>(*value.get_if<std::uint32_t>());
    case Kind::kLong:
      return static_cast<std::int32_t>(static_cast<std::uint32_t>(*value.get_if<std::int64_t>()));
    case Kind::kFloat:
      return TruncateToInteger(*value.get_if<float>());
    case Kind::kDouble:
      return TruncateToInteger(*value.get_if<double>());
    default:
      return 0;
  }
}

Text ToText(const Value& value) {
  if (value.is_array() || value.kind() == Kind::kByteSet) {
    const std::vector<std::uint8_t> bytes = PayloadBytes(value.payload());
    return Text(std::string_view(reinterpret_cast<const char*>(bytes.data()), bytes.size()));
  }
  switch (value.kind()) {
    case Kind::kText:
      return *value.get_if<Text>();
    case Kind::kByte:
      return Text(Decimal(unsigned{*value.get_if<std::uint8_t>()}));
    case Kind::kShort:
      return Text(Decimal(int{*value.get_if<std::int16_t>()}));
    case Kind::kInteger:
      return Text(Decimal(*value.get_if<std::int32_t>()));
    case Kind::kLong:
      return Text(Decimal(*value.get_if<std::int64_t>()));
    case Kind::kFloat:
      return Text(Printed("%.6g", *value.get_if<float>()));
    case Kind::kDouble:
      return Text(Printed("%.13g", *value.get_if<double>()));
    case Kind::kLogical:
      return *value.get_if<std::int32_t>() != 0 ? "真" : "假";
    case Kind::kDateTime:
      return DateTimeText(*value.get_if<double>());
    default:
      return {};
  }
}

ByteSet ToByteSet(const Value& value) { return ByteSet(PayloadBytes(value.payload())); }

std::int32_t TruncateToInteger(double value) {
  if (!(value > -2147483649.0 && value < 2147483648.0)) return INT32_MIN;
  return static_cast<std::int32_t>(value);
}

}  // namespace lq
