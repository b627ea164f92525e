// Files in the game's Game directory, replaced whole or not at all: new content goes to a
// temporary file beside the target, reaches the disk, and is then moved over the target in one
// step. Paths arrive as GBK and cross into Windows as UTF-16 through code page 936, so a Chinese
// file name is right on a Windows of any language.
#pragma once

#include <windows.h>

#include <cstdint>
#include <optional>
#include <span>
#include <string>

#include "runtime/commands/values.h"
#include "skins/zip_check.h"

namespace lq {

// The full path of `file_name` in `directory` (GBK in, UTF-16 out); a backslash is put between
// them unless the directory already ends with one.
std::wstring GameFilePath(const Text& directory, std::string_view file_name);

// A file name that would leave the directory or is no name at all (empty, or holding a path
// separator or a drive colon once converted).
bool IsPlainFileName(std::string_view gbk_file_name);

// A temporary file in a directory, open for writing and reading back. Deleted when the object
// goes, unless it was moved into place.
class StagedFile final : public ZipBytes {
 public:
  // Creates a fresh temporary file in `directory` (UTF-16 path with a trailing backslash or not);
  // nothing when the directory cannot take one.
  static std::optional<StagedFile> Create(const std::wstring& directory);

  StagedFile(StagedFile&& other) noexcept;
  StagedFile& operator=(StagedFile&&) = delete;
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile();

  // Appends the bytes; false on a write error (disk full, ...).
  bool Write(std::span<const std::uint8_t> bytes);
  // Pushes what was written to the disk and closes the file.
  bool Finish();

  // ZipBytes, for checking what was written (before Finish).
  std::uint64_t size() const override { return written_; }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

  // Moves the finished file over `target`, replacing it; on success the file belongs to `target`.
  // A read-only target is not replaced.
  bool MoveOver(const std::wstring& target);

  const std::wstring& path() const { return path_; }

 private:
  StagedFile(HANDLE file, std::wstring path) : file_(file), path_(std::move(path)) {}
  void Close();

  HANDLE file_ = INVALID_HANDLE_VALUE;
  std::wstring path_;
  std::uint64_t written_ = 0;
  bool placed_ = false;
};

// Replaces the content of `target` with `bytes` through a temporary file beside it. False, with
// the target as it was, when any step fails.
bool ReplaceFileContent(const std::wstring& directory, const std::wstring& target,
                        std::span<const std::uint8_t> bytes);

// The file a target holds before it is replaced, kept so that the replacement can be undone.
class SetAside {
 public:
  SetAside() = default;
  SetAside(const SetAside&) = delete;
  SetAside& operator=(const SetAside&) = delete;
  ~SetAside();

  // Keeps the file of `target` (when there is one) under a temporary name in `directory`: as a
  // second link to it where the file system has links, so the target stays in place meanwhile;
  // else by moving it there. False when it exists and cannot be kept, or is read-only.
  bool Take(const std::wstring& directory, const std::wstring& target);
  // The target was not replaced after all: it stays as it is (a file moved away comes back).
  void Abandon();
  // The target was replaced: the kept file goes back over it (when there was none, the target
  // goes).
  bool Restore();
  // The replacement stands: the kept file goes.
  void Discard();

 private:
  void Clear();

  std::wstring target_;
  std::wstring aside_;  // empty when the target had no file
  bool linked_ = false;
};

}  // namespace lq
