// The program's global operator new: a failed allocation is a fatal report with the requested
// size, never a std::bad_alloc. The nothrow forms keep returning null. Aligned forms stay the
// library's.
#include <cstdlib>
#include <new>

#include "runtime/errors/allocation.h"

void* operator new(std::size_t bytes) { return lq::AllocateBlock(bytes); }
void* operator new[](std::size_t bytes) { return lq::AllocateBlock(bytes); }
void* operator new(std::size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes == 0 ? 1 : bytes);
}
void* operator new[](std::size_t bytes, const std::nothrow_t&) noexcept {
  return std::malloc(bytes == 0 ? 1 : bytes);
}

void operator delete(void* block) noexcept { lq::FreeBlock(block); }
void operator delete[](void* block) noexcept { lq::FreeBlock(block); }
void operator delete(void* block, std::size_t) noexcept { lq::FreeBlock(block); }
void operator delete[](void* block, std::size_t) noexcept { lq::FreeBlock(block); }
void operator delete(void* block, const std::nothrow_t&) noexcept { lq::FreeBlock(block); }
void operator delete[](void* block, const std::nothrow_t&) noexcept { lq::FreeBlock(block); }
