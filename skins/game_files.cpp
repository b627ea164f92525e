#include "skins/game_files.h"

#include <algorithm>
#include <atomic>
#include <cstring>
#include <utility>

#include "runtime/errors/win32/wide_text.h"

namespace lq {
namespace {

// Large writes go out in pieces a DWORD can count.
constexpr std::size_t kWritePiece = 16u << 20;

bool EndsWithSeparator(const std::wstring& path) {
  return !path.empty() && (path.back() == L'\\' || path.back() == L'/');
}

std::wstring InDirectory(const std::wstring& directory, const std::wstring& name) {
  return EndsWithSeparator(directory) || directory.empty() ? directory + name
                                                           : directory + L'\\' + name;
}

// A name no other file of this or another copy of the program uses at the same time.
std::wstring TemporaryName(const wchar_t* kind) {
  static std::atomic<unsigned> counter{0};
  return L".LOLQuillet-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
         std::to_wstring(counter.fetch_add(1)) + L"." + kind;
}

bool Exists(const std::wstring& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// A read-only file is never replaced, on any file system and whatever rights the process has.
bool IsReadOnly(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0;
}

bool Move(const std::wstring& from, const std::wstring& to, DWORD flags) {
  return MoveFileExW(from.c_str(), to.c_str(), flags | MOVEFILE_WRITE_THROUGH) != 0;
}

}  // namespace

std::wstring GameFilePath(const Text& directory, std::string_view file_name) {
  return InDirectory(GbkToWide(directory.view()), GbkToWide(file_name));
}

bool IsPlainFileName(std::string_view gbk_file_name) {
  const std::wstring name = GbkToWide(gbk_file_name);
  if (name.empty() || name == L"." || name == L"..") {
    return false;
  }
  return name.find_first_of(L"\\/:") == std::wstring::npos;
}

// ---- StagedFile ------------------------------------------------------------------------------

std::optional<StagedFile> StagedFile::Create(const std::wstring& directory) {
  for (int attempt = 0; attempt < 16; ++attempt) {
    std::wstring path = InDirectory(directory, TemporaryName(L"part"));
    HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
      return StagedFile(file, std::move(path));
    }
    if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) {
      break;
    }
  }
  return std::nullopt;
}

StagedFile::StagedFile(StagedFile&& other) noexcept
    : file_(std::exchange(other.file_, INVALID_HANDLE_VALUE)),
      path_(std::move(other.path_)),
      written_(other.written_),
      placed_(std::exchange(other.placed_, true)) {}

StagedFile::~StagedFile() {
  Close();
  if (!placed_ && !path_.empty()) {
    DeleteFileW(path_.c_str());
  }
}

void StagedFile::Close() {
  if (file_ != INVALID_HANDLE_VALUE) {
    CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE));
  }
}

bool StagedFile::Write(std::span<const std::uint8_t> bytes) {
  if (file_ == INVALID_HANDLE_VALUE) {
    return false;
  }
  while (!bytes.empty()) {
    const DWORD want = static_cast<DWORD>(std::min(bytes.size(), kWritePiece));
    DWORD wrote = 0;
    if (!WriteFile(file_, bytes.data(), want, &wrote, nullptr) || wrote == 0) {
      return false;
    }
    written_ += wrote;
    bytes = bytes.subspan(wrote);
  }
  return true;
}

bool StagedFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (file_ == INVALID_HANDLE_VALUE || offset > written_ || out.size() > written_ - offset) {
    return false;
  }
  while (!out.empty()) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    const DWORD want = static_cast<DWORD>(std::min(out.size(), kWritePiece));
    DWORD got = 0;
    if (!ReadFile(file_, out.data(), want, &got, &at) || got == 0) {
      return false;
    }
    offset += got;
    out = out.subspan(got);
  }
  // Positioned reads move the file pointer: writing goes on at the end.
  LARGE_INTEGER end{};
  end.QuadPart = static_cast<LONGLONG>(written_);
  return SetFilePointerEx(file_, end, nullptr, FILE_BEGIN) != 0;
}

bool StagedFile::Finish() {
  if (file_ == INVALID_HANDLE_VALUE) {
    return false;
  }
  const bool flushed = FlushFileBuffers(file_) != 0;
  const bool closed = CloseHandle(std::exchange(file_, INVALID_HANDLE_VALUE)) != 0;
  return flushed && closed;
}

bool StagedFile::MoveOver(const std::wstring& target) {
  if (file_ != INVALID_HANDLE_VALUE || placed_ || path_.empty() || IsReadOnly(target)) {
    return false;  // not finished, already placed, or a target that must stay
  }
  if (!Move(path_, target, MOVEFILE_REPLACE_EXISTING)) {
    return false;
  }
  placed_ = true;
  return true;
}

// ---- ReplaceFileContent ----------------------------------------------------------------------

bool ReplaceFileContent(const std::wstring& directory, const std::wstring& target,
                        std::span<const std::uint8_t> bytes) {
  std::optional<StagedFile> staged = StagedFile::Create(directory);
  return staged && staged->Write(bytes) && staged->Finish() && staged->MoveOver(target);
}

// ---- SetAside --------------------------------------------------------------------------------

bool SetAside::Take(const std::wstring& directory, const std::wstring& target) {
  Clear();
  if (!Exists(target)) {
    target_ = target;
    return true;
  }
  if (IsReadOnly(target)) {
    return false;
  }
  std::wstring aside = InDirectory(directory, TemporaryName(L"old"));
  if (CreateHardLinkW(aside.c_str(), target.c_str(), nullptr)) {
    linked_ = true;
  } else if (!Move(target, aside, 0)) {
    return false;
  }
  target_ = target;
  aside_ = std::move(aside);
  return true;
}

void SetAside::Abandon() {
  if (!aside_.empty()) {
    if (linked_) {
      DeleteFileW(aside_.c_str());
    } else {
      Move(aside_, target_, MOVEFILE_REPLACE_EXISTING);
    }
  }
  Clear();
}

bool SetAside::Restore() {
  if (target_.empty()) {
    return true;
  }
  const bool restored = aside_.empty() ? !Exists(target_) || DeleteFileW(target_.c_str()) != 0
                                       : Move(aside_, target_, MOVEFILE_REPLACE_EXISTING);
  if (restored) {
    Clear();
  }
  return restored;
}

void SetAside::Discard() {
  if (!aside_.empty()) {
    DeleteFileW(aside_.c_str());
  }
  Clear();
}

void SetAside::Clear() {
  target_.clear();
  aside_.clear();
  linked_ = false;
}

SetAside::~SetAside() {
  if (!target_.empty()) {
    Abandon();
  }
}

}  // namespace lq
