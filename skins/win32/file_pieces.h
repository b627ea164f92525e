// Reads and writes of any size through one file handle, in pieces a DWORD can count.
#pragma once

#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

namespace lq {

inline constexpr std::size_t kFilePiece = 16u << 20;

// Fills `out` from the file: at `offset` when one is given (which moves the file pointer too),
// else from the file pointer on. False when any of it cannot be read.
inline bool ReadWhole(HANDLE file, std::optional<std::uint64_t> offset,
                      std::span<std::uint8_t> out) {
  while (!out.empty()) {
    OVERLAPPED at{};
    if (offset) {
      at.Offset = static_cast<DWORD>(*offset);
      at.OffsetHigh = static_cast<DWORD>(*offset >> 32);
    }
    const DWORD want = static_cast<DWORD>(std::min(out.size(), kFilePiece));
    DWORD got = 0;
    if (!ReadFile(file, out.data(), want, &got, offset ? &at : nullptr) || got == 0) {
      return false;
    }
    if (offset) *offset += got;
    out = out.subspan(got);
  }
  return true;
}

// Writes `bytes` at the file pointer; the count written, which is short of the whole when a write
// failed (GetLastError then tells why).
inline std::size_t WriteWhole(HANDLE file, std::span<const std::uint8_t> bytes) {
  std::size_t written = 0;
  while (written < bytes.size()) {
    const DWORD want = static_cast<DWORD>(std::min(bytes.size() - written, kFilePiece));
    DWORD wrote = 0;
    if (!WriteFile(file, bytes.data() + written, want, &wrote, nullptr) || wrote == 0) {
      break;
    }
    written += wrote;
  }
  return written;
}

}  // namespace lq
