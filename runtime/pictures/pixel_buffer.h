// Storage for decoded pixel rows. Pictures are large and come and go with every write of a picture
// box; a freed buffer is kept for the next picture of the same size, so replacing a picture does
// not take fresh pages from the system each time (costly where page faults are, as under Wine).
#pragma once

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace lq::pictures {

namespace pixel_pool {
// Takes a kept block of exactly `bytes` bytes, or allocates one.
void* Take(std::size_t bytes);
// Keeps the block for later if it is large and the pool has room; frees it otherwise.
void Give(void* block, std::size_t bytes) noexcept;
// Frees every kept block.
void Clear() noexcept;
// The bytes kept at the moment.
std::size_t KeptBytes() noexcept;
}  // namespace pixel_pool

// Allocates through the pool. Elements are default-initialised: resize(n) leaves bytes
// unwritten, so a decoder that does not write every byte asks for zeros with resize(n, 0).
template <typename T>
struct PixelAllocator {
  using value_type = T;
  PixelAllocator() = default;
  template <typename U>
  PixelAllocator(const PixelAllocator<U>&) noexcept {}  // NOLINT(google-explicit-constructor)

  T* allocate(std::size_t n) { return static_cast<T*>(pixel_pool::Take(n * sizeof(T))); }
  void deallocate(T* p, std::size_t n) noexcept { pixel_pool::Give(p, n * sizeof(T)); }
  template <typename U>
  void construct(U* p) noexcept {
    ::new (static_cast<void*>(p)) U;
  }
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(static_cast<Args&&>(args)...);
  }

  template <typename U>
  friend bool operator==(const PixelAllocator&, const PixelAllocator<U>&) noexcept {
    return true;
  }
};

using PixelBuffer = std::vector<std::uint8_t, PixelAllocator<std::uint8_t>>;

}  // namespace lq::pictures
