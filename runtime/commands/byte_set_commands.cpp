#include "runtime/commands/byte_set_commands.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstring>
#include <string_view>

#include "runtime/errors/runtime_error.h"

namespace lq {
namespace {

// Width in bytes of the kinds 1 to 9.
constexpr std::size_t kReadWidth[] = {0, 1, 2, 4, 8, 4, 8, 4, 8, 4};

// Little-endian value of `width` bytes at `at`; bytes past the end read as zero.
std::uint64_t ReadLittleEndian(const ByteSet& bytes, std::size_t at, std::size_t width) {
  std::uint64_t v = 0;
  for (std::size_t i = 0; i < width && at + i < bytes.size(); ++i) {
    v |= std::uint64_t{bytes.data()[at + i]} << (8 * i);
  }
  return v;
}

}  // namespace

std::int32_t ByteSetLength(const ByteSet& bytes) { return bytes.Length(); }

ByteSet LeftBytes(const ByteSet& bytes, std::int32_t n) {
  if (n <= 0) return {};
  return ByteSet(bytes.data(), std::min(bytes.size(), static_cast<std::size_t>(n)));
}

ByteSet ZeroBytes(std::int32_t n) {
  if (n <= 0) return {};
  return ByteSet(std::vector<std::uint8_t>(static_cast<std::size_t>(n), 0));
}

Value ReadValueFromBytes(const ByteSet& bytes, std::int32_t kind, std::int32_t* position) {
  if (kind < 1 || kind > 10) ReportRuntimeError("“欲取出数据的类型”参数值无效", 0);
  // Offset of the first byte to read; a position below 1 reads as past the end.
  std::size_t at = 0;
  if (position) at = *position >= 1 ? static_cast<std::size_t>(*position) - 1 : bytes.size();

  Value value;
  std::size_t next;
  if (kind == static_cast<std::int32_t>(ReadKind::kText)) {
    const std::string_view rest = at < bytes.size() ? bytes.view().substr(at) : std::string_view();
    const std::size_t zero = rest.find('\0');
    value = Text(rest.substr(0, zero));
    next = zero == std::string_view::npos ? bytes.size() : at + zero + 1;
  } else {
    const std::size_t width = kReadWidth[kind];
    const std::uint64_t v = ReadLittleEndian(bytes, at, width);
    switch (static_cast<ReadKind>(kind)) {
      case ReadKind::kByte:
        value = static_cast<std::uint8_t>(v);
        break;
      case ReadKind::kShort:
        value = static_cast<std::int16_t>(v);
        break;
      case ReadKind::kInteger:
        value = static_cast<std::int32_t>(v);
        break;
      case ReadKind::kLong:
        value = static_cast<std::int64_t>(v);
        break;
      case ReadKind::kFloat:
        value = std::bit_cast<float>(static_cast<std::uint32_t>(v));
        break;
      case ReadKind::kDouble:
        value = std::bit_cast<double>(v);
        break;
      case ReadKind::kLogical:
        value = Value::Logical(static_cast<std::int32_t>(v));
        break;
      case ReadKind::kDateTime:
        value = Value::DateTime(std::bit_cast<double>(v));
        break;
      default:
        value = Value::Subroutine(static_cast<std::uint32_t>(v));
        break;
    }
    next = at + width;
  }
  if (position) *position = next < bytes.size() ? static_cast<std::int32_t>(next + 1) : -1;
  return value;
}

namespace detail {

ByteSet ConcatByteViews(std::initializer_list<const ByteSet*> parts) {
  std::size_t total = 0;
  for (const ByteSet* p : parts) total += p->size();
  std::vector<std::uint8_t> out;
  out.reserve(total);
  for (const ByteSet* p : parts) out.insert(out.end(), p->bytes().begin(), p->bytes().end());
  return ByteSet(std::move(out));
}

}  // namespace detail
}  // namespace lq
