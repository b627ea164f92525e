// The runtime's value kinds: GBK texts, byte sets, arrays and kind-tagged values.
//
// Texts and byte sets own their bytes. Null and empty are the same value: a default-constructed
// Text or ByteSet is empty and compares equal to any other empty one. Every command returns a
// fresh value; positions are 1-based and "not found" is -1.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <type_traits>
#include <utility>
#include <variant>
#include <vector>

namespace lq {

// A zero-terminated GBK byte string. The bytes never contain a zero: whatever is given is cut at
// its first zero byte, as a C string would be.
class Text {
 public:
  Text() = default;
  Text(const char* s) : bytes_(s ? s : "") {}  // NOLINT(google-explicit-constructor)
  explicit Text(std::string_view bytes) : bytes_(bytes.substr(0, bytes.find('\0'))) {}
  explicit Text(std::string&& bytes) : bytes_(std::move(bytes)) {
    if (auto z = bytes_.find('\0'); z != std::string::npos) bytes_.resize(z);
  }

  const char* c_str() const { return bytes_.c_str(); }
  std::string_view view() const { return bytes_; }
  const std::string& str() const { return bytes_; }
  std::int32_t Length() const { return static_cast<std::int32_t>(bytes_.size()); }
  bool empty() const { return bytes_.empty(); }
  unsigned char at(std::size_t i) const { return static_cast<unsigned char>(bytes_[i]); }

  friend bool operator==(const Text& a, const Text& b) { return a.bytes_ == b.bytes_; }
  friend Text operator+(const Text& a, const Text& b) { return Text(a.bytes_ + b.bytes_); }
  Text& operator+=(const Text& b) {
    bytes_ += b.bytes_;
    return *this;
  }

 private:
  std::string bytes_;
};

// A byte block of any content, zeros included.
class ByteSet {
 public:
  ByteSet() = default;
  explicit ByteSet(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}
  ByteSet(const void* data, std::size_t size)
      : bytes_(static_cast<const std::uint8_t*>(data),
               static_cast<const std::uint8_t*>(data) + size) {}
  static ByteSet FromString(std::string_view s) { return ByteSet(s.data(), s.size()); }

  const std::uint8_t* data() const { return bytes_.data(); }
  std::uint8_t* data() { return bytes_.data(); }
  std::size_t size() const { return bytes_.size(); }
  std::int32_t Length() const { return static_cast<std::int32_t>(bytes_.size()); }
  bool empty() const { return bytes_.empty(); }
  std::string_view view() const {
    return {reinterpret_cast<const char*>(bytes_.data()), bytes_.size()};
  }
  std::vector<std::uint8_t>& bytes() { return bytes_; }
  const std::vector<std::uint8_t>& bytes() const { return bytes_; }
  void Append(const void* data, std::size_t size) {
    auto p = static_cast<const std::uint8_t*>(data);
    bytes_.insert(bytes_.end(), p, p + size);
  }

  friend bool operator==(const ByteSet& a, const ByteSet& b) { return a.bytes_ == b.bytes_; }

 private:
  std::vector<std::uint8_t> bytes_;
};

// Fatal guard of 1-based element access: error 4 below 1, error 1 beyond the count.
void CheckArrayIndex(std::int32_t index, std::int32_t count);

// A one-dimensional array (the only shape the program builds) that owns its elements. Element
// access is 1-based and guarded; an array of texts owns its texts.
template <class T>
class Array {
 public:
  Array() = default;
  explicit Array(std::vector<T> elements) : elements_(std::move(elements)) {}
  Array(std::initializer_list<T> elements) : elements_(elements) {}

  std::int32_t Count() const { return static_cast<std::int32_t>(elements_.size()); }
  bool empty() const { return elements_.empty(); }

  T& At(std::int32_t index) {
    CheckArrayIndex(index, Count());
    return elements_[static_cast<std::size_t>(index - 1)];
  }
  const T& At(std::int32_t index) const {
    CheckArrayIndex(index, Count());
    return elements_[static_cast<std::size_t>(index - 1)];
  }

  void Append(T element) { elements_.push_back(std::move(element)); }
  std::vector<T>& elements() { return elements_; }
  const std::vector<T>& elements() const { return elements_; }
  auto begin() { return elements_.begin(); }
  auto end() { return elements_.end(); }
  auto begin() const { return elements_.begin(); }
  auto end() const { return elements_.end(); }

  friend bool operator==(const Array& a, const Array& b) { return a.elements_ == b.elements_; }

 private:
  std::vector<T> elements_;
};

// Kind codes: the 32-bit tag that travels with a value wherever a command takes several kinds.
enum class Kind : std::uint32_t {
  kNone = 0,  // an argument left out
  kByte = 0x80000101,
  kShort = 0x80000201,
  kInteger = 0x80000301,
  kLong = 0x80000401,
  kFloat = 0x80000501,
  kDouble = 0x80000601,
  kLogical = 0x80000002,
  kDateTime = 0x80000003,
  kText = 0x80000004,
  kByteSet = 0x80000005,
  kSubroutine = 0x80000006,
};

// Bit of a code that marks an argument passed indirectly (here: an array of the kind).
inline constexpr std::uint32_t kIndirectBit = 0x20000000;

// Range of a date-time: days since 1899-12-30, from 0100-01-01 to 9999-12-31.
inline constexpr double kFirstDateTime = -657434.0;
inline constexpr double kLastDateTime = 2958465.0;

// Days held to kFirstDateTime..kLastDateTime, as a date-time is stored (NaN stores the first).
double ClampDateTime(double days);

// The numeric element types an array inside a Value may have, with their kinds.
template <class T>
inline constexpr Kind kNumericKindOf = Kind::kNone;
template <>
inline constexpr Kind kNumericKindOf<std::uint8_t> = Kind::kByte;
template <>
inline constexpr Kind kNumericKindOf<std::int16_t> = Kind::kShort;
template <>
inline constexpr Kind kNumericKindOf<std::int32_t> = Kind::kInteger;
template <>
inline constexpr Kind kNumericKindOf<std::int64_t> = Kind::kLong;
template <>
inline constexpr Kind kNumericKindOf<float> = Kind::kFloat;
template <>
inline constexpr Kind kNumericKindOf<double> = Kind::kDouble;

template <class T>
concept NumericElement = kNumericKindOf<T>
!= Kind::kNone;

// A value tagged with its kind, for commands that accept several kinds. The payload type follows
// the kind: byte uint8_t, short int16_t, integer int32_t, long int64_t, float float, double and
// date-time double, logical int32_t (the stored word), subroutine pointer uint32_t, text Text,
// byte set ByteSet; an indirect numeric array holds an Array of its element type. A value left
// out has kind kNone and no payload.
class Value {
 public:
  using Payload =
      std::variant<std::monostate, std::uint8_t, std::int16_t, std::int32_t, std::int64_t, float,
                   double, std::uint32_t, Text, ByteSet, Array<std::uint8_t>, Array<std::int16_t>,
                   Array<std::int32_t>, Array<std::int64_t>, Array<float>, Array<double>>;

  Value() = default;
  // NOLINTBEGIN(google-explicit-constructor): values convert to Value the way arguments do.
  Value(std::uint8_t v) : kind_(Kind::kByte), payload_(v) {}
  Value(std::int16_t v) : kind_(Kind::kShort), payload_(v) {}
  Value(std::int32_t v) : kind_(Kind::kInteger), payload_(v) {}
  Value(std::int64_t v) : kind_(Kind::kLong), payload_(v) {}
  Value(float v) : kind_(Kind::kFloat), payload_(v) {}
  Value(double v) : kind_(Kind::kDouble), payload_(v) {}
  Value(bool v) : kind_(Kind::kLogical), payload_(std::int32_t{v ? 1 : 0}) {}
  Value(Text v) : kind_(Kind::kText), payload_(std::move(v)) {}
  Value(const char* v) : Value(Text(v)) {}
  Value(ByteSet v) : kind_(Kind::kByteSet), payload_(std::move(v)) {}
  template <NumericElement T>
  Value(Array<T> v) : kind_(kNumericKindOf<T>), array_(true), payload_(std::move(v)) {}
  // NOLINTEND(google-explicit-constructor)

  // A logical with its stored word (zero is false, anything else true).
  static Value Logical(std::int32_t word) { return Value(Kind::kLogical, word); }
  // A date-time in days, held to its range by ClampDateTime.
  static Value DateTime(double days) { return Value(Kind::kDateTime, ClampDateTime(days)); }
  static Value Subroutine(std::uint32_t address) { return Value(Kind::kSubroutine, address); }

  Kind kind() const { return kind_; }
  bool is_array() const { return array_; }
  // The full 32-bit code: the kind, with kIndirectBit for an array.
  std::uint32_t code() const {
    return static_cast<std::uint32_t>(kind_) | (array_ ? kIndirectBit : 0u);
  }
  const Payload& payload() const { return payload_; }
  template <class T>
  const T* get_if() const {
    return std::get_if<T>(&payload_);
  }
  template <class T>
  T* get_if() {
    return std::get_if<T>(&payload_);
  }

  // Payload of a single (not array) value of the given kind; the wrong-kind guard (error 5)
  // when the value is anything else.
  const Text& AsText() const;
  const ByteSet& AsByteSet() const;
  std::int32_t AsInteger() const;
  bool AsLogical() const;
  double AsDouble() const;

  friend bool operator==(const Value& a, const Value& b) {
    return a.kind_ == b.kind_ && a.array_ == b.array_ && a.payload_ == b.payload_;
  }

 private:
  template <class P>
  Value(Kind kind, P payload) : kind_(kind), payload_(std::move(payload)) {}

  Kind kind_ = Kind::kNone;
  bool array_ = false;
  Payload payload_;
};

}  // namespace lq
