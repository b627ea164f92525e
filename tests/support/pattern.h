// The deterministic byte pattern of the endpoint's generated bodies (tools/endpoint/routes.py):
// byte(i) = (base(i mod 65536) + i div 65536) mod 256, base(j) = ((j * 167) xor (j div 256)) mod
// 256.
#pragma once

#include <cstddef>
#include <cstdint>

namespace lq::test {

inline std::uint8_t PatternByte(std::uint64_t i) {
  const std::uint64_t j = i & 0xFFFF;
  return static_cast<std::uint8_t>((((j * 167) ^ (j >> 8)) + (i >> 16)) & 0xFF);
}

// The offset of the first byte of data[0, size) that differs from the pattern at `offset`
// onwards, or size when all match.
inline std::size_t PatternMismatch(const std::uint8_t* data, std::size_t size,
                                   std::uint64_t offset = 0) {
  for (std::size_t i = 0; i < size; ++i) {
    if (data[i] != PatternByte(offset + i)) return i;
  }
  return size;
}

}  // namespace lq::test
