#include "runtime/system/file_write.h"

#include <windows.h>

#include <algorithm>

#include "runtime/platform/code_pages.h"
#include "runtime/platform/unique_handle.h"

namespace lq {

namespace {

// WriteFile takes a 32-bit count; larger sets are written in pieces of this size.
constexpr std::size_t kWritePiece = 1u << 30;

bool WriteAll(HANDLE file, const ByteSet& bytes) {
  const std::uint8_t* p = bytes.data();
  std::size_t left = bytes.size();
  while (left > 0) {
    const DWORD want = static_cast<DWORD>(std::min(left, kWritePiece));
    DWORD written = 0;
    if (!WriteFile(file, p, want, &written, nullptr) || written != want) return false;
    p += written;
    left -= written;
  }
  return true;
}

}  // namespace

bool WriteBytesToFile(const Text& fileName, std::span<const ByteSet* const> byteSets) {
  if (fileName.empty()) return false;
  const std::wstring name = GbkToWide(fileName.view());
  if (name.empty()) return false;
  UniqueKernelHandle file(CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return false;
  for (const ByteSet* bytes : byteSets) {
    if (bytes == nullptr || bytes->empty()) continue;
    if (!WriteAll(file.get(), *bytes)) return false;
  }
  return true;
}

}  // namespace lq
