// The runtime's value kinds: GBK texts, byte sets, arrays and kind-tagged values.
//
// Texts and byte sets own their bytes. Null and empty are the same value: a default-constructed
// Text or ByteSet is empty and compares equal to any other empty one.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
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
      : bytes_(static_cast<const std::uint8_t*>(data), static_cast<const std::uint8_t*>(data) + size) {}
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

}  // namespace lq
