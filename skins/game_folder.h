// The file operations that installations and repairs perform in the game's Game folder, as one
// interface: the Windows build works on the real folder (skins/win32/), tests work on a folder in
// memory and make any single operation fail. Names are plain file names inside the folder, GBK.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/commands/values.h"

namespace lq {

// A file that GameFolder::Create made, open for writing and for reading back what was written.
class FolderFile {
 public:
  // Closes the file if it is still open (without pushing it to the disk first).
  virtual ~FolderFile() = default;
  // Appends the bytes; false on a write error (disk full, ...).
  virtual bool Write(std::span<const std::uint8_t> bytes) = 0;
  // Fills `out` from `offset`; only ranges that were written are asked for.
  virtual bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) = 0;
  // Pushes what was written to the disk.
  virtual bool Flush() = 0;
  virtual bool Close() = 0;
  // Whether the last failed write failed because the volume is full.
  virtual bool OutOfSpace() const { return false; }
};

// What tells that a file is still the one that was written: its size, its last write and the
// file system's own identity of it (the same file, not only the same name).
struct FileIdentity {
  std::uint64_t size = 0;
  std::uint64_t last_write = 0;
  std::uint64_t file_id = 0;
  std::uint64_t volume = 0;
  friend bool operator==(const FileIdentity&, const FileIdentity&) = default;
};

enum class FolderEntry {
  kMissing,
  kFile,
  kReadOnlyFile,  // never replaced, on any file system and whatever rights the process has
  kOther,         // a directory or something else that is no plain file, or a failed lookup
};

// A file that GameFolder::Hold made and holds open: while it is held nobody, this process
// included, can delete or rename it, and anyone can see that it exists. It is deleted when the
// object goes, and when the process ends however it ends. It may outlive the folder that made it.
class HeldFile {
 public:
  virtual ~HeldFile() = default;
};

class TemporaryOwner;

class GameFolder {
 public:
  virtual ~GameFolder() = default;

  // A new file; fails when `name` exists already.
  virtual std::unique_ptr<FolderFile> Create(std::string_view name) = 0;
  // Moves the file `from` to `to` in one step (through to the disk); an existing `to` is
  // replaced only when `replace` is set.
  virtual bool Rename(std::string_view from, std::string_view to, bool replace) = 0;
  // Gives the file `name` the second name `link`; false where the file system has no links.
  virtual bool Link(std::string_view name, std::string_view link) = 0;
  virtual bool Delete(std::string_view name) = 0;
  virtual FolderEntry Find(std::string_view name) = 0;
  // The names of the folder's files; nothing when the folder cannot be read.
  virtual std::optional<std::vector<std::string>> List() = 0;

  // An existing plain file, open for reading only (its writes fail); nothing when it cannot be
  // opened.
  virtual std::unique_ptr<FolderFile> OpenToRead(std::string_view /*name*/) { return nullptr; }
  // The identity of the plain file `name`; nothing when it cannot be read.
  virtual std::optional<FileIdentity> Identity(std::string_view /*name*/) { return std::nullopt; }
  // The bytes free for this process on the folder's volume; nothing when it cannot be told.
  virtual std::optional<std::uint64_t> FreeSpace() { return std::nullopt; }

  // Creates the file `name` and holds it (HeldFile); nothing when it cannot be created, for
  // instance when it exists already.
  virtual std::unique_ptr<HeldFile> Hold(std::string_view name) = 0;
  // The id of this process, which the names of its temporary files carry.
  virtual std::uint32_t ProcessId() = 0;

 private:
  // The owner of the temporary files made through this object (game_files.h), with its mark held
  // as long as the object lives.
  friend class TemporaryOwner;
  std::shared_ptr<TemporaryOwner> owner_;
};

// How a Game folder is opened: the folder `directory` (GBK, with a trailing backslash or not), or
// nothing when it cannot be opened.
using GameFolderOpener = std::function<std::unique_ptr<GameFolder>(const Text& directory)>;

}  // namespace lq
