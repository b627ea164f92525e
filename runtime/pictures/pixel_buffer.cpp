#include "runtime/pictures/pixel_buffer.h"

#include <cstdlib>
#include <mutex>
#include <utility>

namespace lq::pictures::pixel_pool {
namespace {

// Blocks below this size come from the ordinary heap quickly enough.
constexpr std::size_t kSmallestKept = 256 * 1024;
constexpr std::size_t kMostKept = 32 * 1024 * 1024;
constexpr int kSlots = 4;

struct Kept {
  void* block = nullptr;
  std::size_t bytes = 0;
};

struct Pool {
  std::mutex mutex;
  Kept slots[kSlots];
  std::size_t kept_bytes = 0;
  int next_slot = 0;  // the slot to reuse when all are full: the oldest
};

Pool& ThePool() {
  static Pool* pool = new Pool;  // never destroyed: blocks may be given back during exit
  return *pool;
}

}  // namespace

void* Take(std::size_t bytes) {
  if (bytes >= kSmallestKept) {
    Pool& pool = ThePool();
    std::lock_guard lock(pool.mutex);
    for (Kept& kept : pool.slots) {
      if (kept.block != nullptr && kept.bytes == bytes) {
        pool.kept_bytes -= bytes;
        return std::exchange(kept.block, nullptr);
      }
    }
  }
  if (void* block = std::malloc(bytes == 0 ? 1 : bytes)) {
    return block;
  }
  throw std::bad_alloc();
}

void Give(void* block, std::size_t bytes) noexcept {
  if (block == nullptr) {
    return;
  }
  if (bytes >= kSmallestKept && bytes <= kMostKept) {
    Pool& pool = ThePool();
    std::lock_guard lock(pool.mutex);
    Kept* slot = nullptr;
    for (Kept& kept : pool.slots) {
      if (kept.block == nullptr) {
        slot = &kept;
        break;
      }
    }
    if (slot == nullptr) {  // all full: the oldest goes
      slot = &pool.slots[pool.next_slot];
      pool.next_slot = (pool.next_slot + 1) % kSlots;
      pool.kept_bytes -= slot->bytes;
      std::free(slot->block);
      slot->block = nullptr;
    }
    while (pool.kept_bytes + bytes > kMostKept) {  // make room, whichever goes
      for (Kept& kept : pool.slots) {
        if (kept.block != nullptr && &kept != slot) {
          pool.kept_bytes -= kept.bytes;
          std::free(std::exchange(kept.block, nullptr));
          break;
        }
      }
    }
    *slot = {block, bytes};
    pool.kept_bytes += bytes;
    return;
  }
  std::free(block);
}

void Clear() noexcept {
  Pool& pool = ThePool();
  std::lock_guard lock(pool.mutex);
  for (Kept& kept : pool.slots) {
    std::free(std::exchange(kept.block, nullptr));
  }
  pool.kept_bytes = 0;
}

std::size_t KeptBytes() noexcept {
  Pool& pool = ThePool();
  std::lock_guard lock(pool.mutex);
  return pool.kept_bytes;
}

}  // namespace lq::pictures::pixel_pool
