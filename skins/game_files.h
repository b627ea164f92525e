// Files in the game's Game folder, replaced whole or not at all, for installations and repairs
// alike: new content goes to a staged file beside its target, reaches the disk, and is then moved
// over the target in one step. The file a replacement may have to undo is first set aside under
// a second name. Both temporary kinds carry the id of the process that made them:
//
//   .LOLQuillet-<process>-<n>.part            staged content on its way into place
//   .LOLQuillet-<process>-<n>.old.<target>    the previous file of <target>
//
// so that what a killed or crashed program left behind is resolved later (ResolveLeftovers),
// never while the process that made it still runs.
#pragma once

#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "skins/game_folder.h"
#include "skins/zip_check.h"

namespace lq {

// A file name that would leave the folder or is no name at all (empty, "." or "..", or holding a
// path separator or a drive colon).
bool IsPlainFileName(std::string_view gbk_file_name);

// What the name of one of the program's temporary files tells.
struct TemporaryName {
  std::uint32_t process_id = 0;
  bool set_aside = false;  // an ".old" file; else staged content
  std::string target;      // of a set-aside file: the name it was set aside from
};
std::optional<TemporaryName> ParseTemporaryName(std::string_view name);

// A staged file in a folder, open for writing and reading back. Deleted when the object goes,
// unless it was moved into place. The folder must outlive it.
class StagedFile final : public ZipBytes {
 public:
  // A fresh staged file; nothing when the folder cannot take one.
  static std::unique_ptr<StagedFile> Create(GameFolder& folder);
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile();

  // Appends the bytes; false on a write error.
  bool Write(std::span<const std::uint8_t> bytes);
  // Pushes what was written to the disk and closes the file.
  bool Finish();

  // ZipBytes, for checking what was written (before Finish).
  std::uint64_t size() const override { return written_; }
  bool ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) override;

  // Moves the finished file over `target`, replacing it; then the file belongs to `target`. A
  // read-only target, or anything that is no plain file, is not replaced.
  bool MoveOver(std::string_view target);

  const std::string& name() const { return name_; }

 private:
  StagedFile(GameFolder& folder, std::unique_ptr<FolderFile> file, std::string name);

  GameFolder& folder_;
  std::unique_ptr<FolderFile> file_;
  std::string name_;
  std::uint64_t written_ = 0;
  bool placed_ = false;
};

// Replaces `target` with `bytes` through a staged file. False, with the target as it was, when
// any step fails.
bool ReplaceFileContent(GameFolder& folder, std::string_view target,
                        std::span<const std::uint8_t> bytes);

// The file a target holds before it is replaced, kept so that the replacement can be undone.
// Every step is checked; the kept file is never deleted while it is the only copy.
class SetAside {
 public:
  explicit SetAside(GameFolder& folder) : folder_(folder) {}
  SetAside(const SetAside&) = delete;
  SetAside& operator=(const SetAside&) = delete;
  // Gives up a file still held as Abandon does.
  ~SetAside();

  // Keeps the file of `target` (when there is one) under a temporary name: as a second link to
  // it where the file system has links, so the target stays in place meanwhile; else by moving
  // it. False, with the target as it was, when it cannot be kept or is read-only.
  bool Take(std::string_view target);
  // The target was not replaced after all: it stays as it is (a file moved away comes back).
  // False when a moved file could not come back; it then stays under its temporary name.
  bool Abandon();
  // The target was replaced: the kept file goes back over it (when there was none, the target
  // goes). False when that fails; the kept file then stays under its temporary name, and the
  // replacement is deleted if it can be, so that resolving leftovers puts the kept file back.
  bool Restore();
  // The replacement stands: the kept file goes.
  void Discard();

 private:
  void Release();

  GameFolder& folder_;
  std::string target_;
  std::string aside_;  // empty when the target had no file
  bool linked_ = false;
};

// Resolves the temporary files that no running operation uses any more: a set-aside file whose
// target is missing is put back, every other one is deleted. Files of another process that is
// still running, and files this process is working with now, stay. Call with the file steps held.
void ResolveLeftovers(GameFolder& folder);

// The file steps that change a Game folder, taken in turn by installations and repairs of any
// thread.
std::unique_lock<std::timed_mutex> LockGameFileSteps();

// At start-up, once the game directory is known: resolves the folder's leftovers, unless a file
// step is running right now (it resolves them itself).
void ResolveGameFolderLeftovers(const GameFolderOpener& open_folder, const Text& directory);

// For the end of the program: waits at most `limit_ms` for a file step in progress to end, and
// then lets no other begin, so that the process never ends in the middle of one. False when the
// wait ran out.
bool HoldGameFileStepsForExit(std::uint32_t limit_ms = 10'000);

}  // namespace lq
