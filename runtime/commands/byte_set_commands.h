// Byte-set commands: length, pieces, zero blocks, joining and reading values out of bytes.
#pragma once

#include <cstdint>
#include <initializer_list>

#include "runtime/commands/values.h"

namespace lq {

std::int32_t ByteSetLength(const ByteSet& bytes);

// The first min(length, n) bytes; n of 0 or less gives the empty byte set.
ByteSet LeftBytes(const ByteSet& bytes, std::int32_t n);

// n zero bytes; n of 0 or less gives the empty byte set.
ByteSet ZeroBytes(std::int32_t n);

// All the byte sets in order, in one new byte set.
template <class... ByteSets>
ByteSet ConcatByteSets(const ByteSets&... parts);

// Kind numbers of ReadValueFromBytes.
enum class ReadKind : std::int32_t {
  kByte = 1,
  kShort = 2,
  kInteger = 3,
  kLong = 4,
  kFloat = 5,
  kDouble = 6,
  kLogical = 7,
  kDateTime = 8,
  kSubroutine = 9,
  kText = 10,
};

// Reads one value of the kind number (ReadKind; anything else is the fatal report
// "“欲取出数据的类型”参数值无效") from the bytes, little-endian, starting at the first byte or,
// with a position variable, at its 1-based position. Bytes missing at the end read as zero; a
// text runs up to its zero byte or the end. The position variable then holds the position of the
// next unread byte (a text consumes its zero byte), or -1 when that lies past the end. A
// position below 1 (such as that -1) reads as past the end: the value is zero or the empty text
// and the position stays -1.
Value ReadValueFromBytes(const ByteSet& bytes, std::int32_t kind, std::int32_t* position = nullptr);

namespace detail {
ByteSet ConcatByteViews(std::initializer_list<const ByteSet*> parts);
}  // namespace detail

template <class... ByteSets>
ByteSet ConcatByteSets(const ByteSets&... parts) {
  return detail::ConcatByteViews({static_cast<const ByteSet*>(&parts)...});
}

}  // namespace lq
