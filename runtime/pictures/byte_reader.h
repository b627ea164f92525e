// A bounded little-endian reader over untrusted bytes: every read checks what is left first, so no
// decoder that reads through it can run past its input. Beside it, the big-endian number PNG
// writes.
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>
#include <type_traits>

namespace lq::pictures {

static_assert(std::endian::native == std::endian::little,
              "file-format structs are copied as they lie in the file");

class ByteReader {
 public:
  explicit ByteReader(std::span<const std::uint8_t> data) : data_(data) {}

  std::size_t position() const { return pos_; }
  std::size_t remaining() const { return data_.size() - pos_; }
  std::size_t size() const { return data_.size(); }

  bool Seek(std::size_t position) {
    if (position > data_.size()) {
      return false;
    }
    pos_ = position;
    return true;
  }
  bool Skip(std::size_t count) {
    if (count > remaining()) {
      return false;
    }
    pos_ += count;
    return true;
  }

  bool ReadU8(std::uint8_t& value) {
    if (remaining() < 1) {
      return false;
    }
    value = data_[pos_++];
    return true;
  }

  // Copies a packed file-format struct (or a plain integer) as it lies in the data.
  template <typename T>
  bool ReadStruct(T& value) {
    static_assert(std::is_trivially_copyable_v<T>);
    if (remaining() < sizeof(T)) {
      return false;
    }
    std::memcpy(&value, data_.data() + pos_, sizeof(T));
    pos_ += sizeof(T);
    return true;
  }

  // The next `count` bytes, or an empty span (and no move) when fewer are left.
  bool Take(std::size_t count, std::span<const std::uint8_t>& bytes) {
    if (count > remaining()) {
      return false;
    }
    bytes = data_.subspan(pos_, count);
    pos_ += count;
    return true;
  }

 private:
  std::span<const std::uint8_t> data_;
  std::size_t pos_ = 0;
};

// offset + size within a total, without overflow.
inline bool FitsWithin(std::uint64_t offset, std::uint64_t size, std::uint64_t total) {
  return offset <= total && size <= total - offset;
}

// The big-endian 32-bit number at `p` (PNG's lengths and sizes); the caller has checked that four
// bytes are there.
inline std::uint32_t BigEndian32(const std::uint8_t* p) {
  return (std::uint32_t{p[0]} << 24) | (std::uint32_t{p[1]} << 16) | (std::uint32_t{p[2]} << 8) |
         p[3];
}

}  // namespace lq::pictures
