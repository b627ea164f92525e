// Files in the game's Game folder, replaced whole or not at all, for installations and repairs
// alike: new content goes to a staged file beside its target, reaches the disk, and is then moved
// over the target in one step. Files that change together form one replacement (Replacement):
// until its last move it can be undone, after it it stands.
//
// Every temporary file belongs to the folder object that made it, its owner, and carries the
// owner's name: the process id and a tag drawn at random when the owner made its first file.
//
//   .LOLQuillet-<process>-<tag>.lock                the owner's mark
//   .LOLQuillet-<process>-<tag>-<n>.part            staged content on its way into place
//   .LOLQuillet-<process>-<tag>-<n>.new.<target>    the staged content of replacement n's commit
//   .LOLQuillet-<process>-<tag>-<n>.old.<target>    the previous file of <target>
//   .LOLQuillet-<process>-<tag>-<n>.none.<target>   a note that <target> had no file before
//
// The owner holds its mark from before its first temporary file until it goes (GameFolder::Hold):
// as long as it is held nobody can delete or rename it, and when the owner goes, however its
// process ends, it is deleted. So an owner is running exactly while its mark exists and cannot be
// deleted. A name says whose a file is, a link to it or a move of it keeps that name, and no
// time stamp is looked at: what a killed or crashed program left behind is resolved later
// (ResolveLeftovers), never while its owner still runs.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "skins/game_folder.h"
#include "skins/zip_check.h"

namespace lq {

// A file name that would leave the folder or is no name at all (empty, "." or "..", or holding a
// path separator or a drive colon).
bool IsPlainFileName(std::string_view gbk_file_name);

// What the name of one of the program's temporary files tells.
struct TemporaryName {
  enum class Kind { kMark, kStaged, kCommit, kSetAside, kNoFile };
  Kind kind = Kind::kStaged;
  std::uint32_t process_id = 0;
  std::string owner;         // ".LOLQuillet-<process>-<tag>"; the mark is this and ".lock"
  std::uint64_t change = 0;  // n: the files of one replacement share it (not of a mark)
  std::string target;        // of kCommit, kSetAside and kNoFile
};
std::optional<TemporaryName> ParseTemporaryName(std::string_view name);

// A staged file in a folder, open for writing and reading back. Deleted when the object goes,
// unless it was moved into place (or kept for resolving leftovers). The folder must outlive it.
class StagedFile final : public ZipBytes {
 public:
  // A fresh staged file; nothing when the folder cannot take one.
  static std::unique_ptr<StagedFile> Create(GameFolder& folder);
  StagedFile(const StagedFile&) = delete;
  StagedFile& operator=(const StagedFile&) = delete;
  ~StagedFile();

  // Appends the bytes; false on a write error.
  bool Write(std::span<const std::uint8_t> bytes);
  // Whether the last failed write failed because the volume is full.
  bool OutOfSpace() const { return file_ && file_->OutOfSpace(); }
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
  friend class Replacement;
  StagedFile(GameFolder& folder, std::unique_ptr<FolderFile> file, std::string name);
  static std::unique_ptr<StagedFile> CreateNamed(GameFolder& folder, std::string name);

  GameFolder& folder_;
  std::unique_ptr<FolderFile> file_;
  std::string name_;
  std::uint64_t written_ = 0;
  bool placed_ = false;  // or kept
};

// Replaces `target` with `bytes` through a staged file. False, with the target as it was, when
// any step fails.
bool ReplaceFileContent(GameFolder& folder, std::string_view target,
                        std::span<const std::uint8_t> bytes);

// Files replaced as one change, in this order: the new content of the file that changes last, the
// commit file, is staged first; then each other target's file is kept (or a note that it had
// none) and its replacement moved over it; then the commit file moves into place, the one step
// that makes the change. Every step is checked, and a kept file is never deleted while it is the
// only copy.
//
// Until the commit the change can be undone, by this process or, should it end in the middle,
// by resolving leftovers, which undo every replacement whose staged commit file is still there
// and let every other one stand. The folder must outlive the object.
class Replacement {
 public:
  explicit Replacement(GameFolder& folder) : folder_(folder) {}
  Replacement(const Replacement&) = delete;
  Replacement& operator=(const Replacement&) = delete;
  // Undoes a change that was not committed.
  ~Replacement();

  // Stages `bytes` as the new content of `target`, the commit file. Before anything else.
  bool StageCommit(std::string_view target, std::span<const std::uint8_t> bytes);
  // Keeps the file of `target`, as a second link to it where the file system has links (the
  // target stays in place meanwhile) and else by moving it, and moves the finished `staged` over
  // it. False, with the target as it was or kept for undoing, when a step fails or the target is
  // read-only or no plain file.
  bool Replace(std::string_view target, StagedFile& staged);
  // Moves the commit file into place; then the kept files go. False, with nothing committed,
  // when the move fails.
  bool Commit();
  // Puts every replaced target back as it was and drops the staged commit file. False when a
  // target could not come back: the commit file then stays, so that resolving leftovers finishes
  // the undo.
  bool Undo();

 private:
  struct Kept {
    std::string target;
    std::string name;  // the kept file, or the note that the target had no file
    bool had_file;
    bool linked;
    bool replaced;  // the staged file has moved over the target
  };
  std::string Name(std::string_view kind, std::string_view target);

  GameFolder& folder_;
  std::string prefix_;  // ".LOLQuillet-<process>-<tag>-<n>."
  std::unique_ptr<StagedFile> commit_;
  std::string commit_target_;
  std::vector<Kept> kept_;
  bool done_ = false;
};

// Resolves the temporary files whose owner has ended: staged content is deleted; a replacement
// whose staged commit file is still there is undone, its kept files going back over their
// targets; one without it stands, its kept files deleted once their target is positively there
// (a kept file whose target is missing is put back; one whose target cannot be looked at or is
// no plain file stays). Marks of ended owners go. Files of running owners, in this process or
// another, stay. Call with the file steps held.
void ResolveLeftovers(GameFolder& folder);

// One turn at the file steps that change a Game folder, given back when the object goes.
class [[nodiscard]] FileStepsTurn {
 public:
  FileStepsTurn(FileStepsTurn&& other) noexcept;
  FileStepsTurn& operator=(FileStepsTurn&&) = delete;
  ~FileStepsTurn();
  explicit operator bool() const { return held_; }

 private:
  friend FileStepsTurn LockGameFileSteps();
  friend FileStepsTurn TryGameFileSteps();
  explicit FileStepsTurn(bool held) : held_(held) {}
  bool held_;
};

// The file steps that change a Game folder, taken in turn by installations and repairs of any
// thread.
FileStepsTurn LockGameFileSteps();
// A turn only when no other is taken now.
FileStepsTurn TryGameFileSteps();

// At start-up, once the game directory is known: resolves the folder's leftovers, unless a file
// step is running right now (it resolves them itself).
void ResolveGameFolderLeftovers(const GameFolderOpener& open_folder, const Text& directory);

// For the end of the program (the end hold of program_end.h): waits at most `limit_ms` for a file
// step in progress to end, and then lets no other begin, so that the process never ends in the
// middle of one. Once held, it returns at once, on any thread; so it does on a thread that has a
// turn itself (a fatal error in the middle of its own step), which never gives it back. False
// when the wait ran out.
bool HoldGameFileStepsForExit(std::uint32_t limit_ms = 10'000);

}  // namespace lq
