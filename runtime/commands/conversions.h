// Conversions between the value kinds: to integer, to text, to byte set; number truncation and
// bitwise OR.
#pragma once

#include <concepts>
#include <cstdint>

#include "runtime/commands/values.h"

namespace lq {

// Text: full-width digits, signs and spaces become ASCII first; then leading white space, an
// optional sign and decimal digits up to the first other character (no digits give 0, overflow
// wraps). Byte zero-extended, short sign-extended, integer, logical and subroutine pointer as
// stored, long its low 32 bits, float and double truncated toward zero. Anything else gives 0.
std::int32_t ToInteger(const Value& value);

// Text: a copy. Byte "%u", short and integer "%d", long decimal, float "%.6g", double "%.13g",
// logical "真" or "假", date-time as DateTimeText. A byte set or a numeric array: its bytes up
// to the first zero byte (all of them when there is none). Anything else gives the empty text.
Text ToText(const Value& value);

// Text: its bytes without the terminator; byte set: a copy; numbers, logical, date-time and
// subroutine pointers: their little-endian bytes at the kind's width (1, 2, 4, 8, 4, 8, 4, 8, 4);
// a numeric array: the bytes of all its elements in order.
ByteSet ToByteSet(const Value& value);

// A date-time (days since 1899-12-30; the fraction is the time of day) as "2024年1月5日" at
// midnight and "2024年1月5日9时5分7秒" otherwise, the time rounded to the second. Days outside
// the date-time range are held to it first.
Text DateTimeText(double days);

// A double stored into an integer: truncated toward zero. A value outside the integer range
// (or NaN) gives INT32_MIN, as the processor's conversion does.
std::int32_t TruncateToInteger(double value);

// Bitwise OR of two or more integers.
template <std::convertible_to<std::int32_t>... More>
constexpr std::int32_t BitOr(std::int32_t a, std::int32_t b, More... more) {
  return ((a | b) | ... | static_cast<std::int32_t>(more));
}

}  // namespace lq
