// A folder of the user's own where the program keeps what it may use again in a later run (copies
// of previews, for instance). Whole files only: a file is read whole, written whole and replaced
// in one step, so a reader sees the old file or the new one, never a mix, and a process ended
// during a write leaves the old file (or none) under its name. The Windows folder lives in the
// user's local application data (skins/win32/); tests use a folder in memory. Names are plain
// file names inside the folder, GBK, made by the program.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "runtime/commands/values.h"

namespace lq {

// Write stages a file under a name of its own that ends with this suffix, then renames it over
// the file's name. A staged file is open while it is written and cannot be deleted then; one that
// can be deleted was left by a write that never ended.
inline constexpr std::string_view kStagedSuffix = ".staged";
inline bool IsStagedName(std::string_view name) { return name.ends_with(kStagedSuffix); }

struct UserFileInfo {
  std::string name;
  std::uint64_t size = 0;
  // The time of its last write or Touch, on a clock of the folder's own: later is larger.
  std::int64_t last_use = 0;
};

class UserFolder {
 public:
  virtual ~UserFolder() = default;

  // The whole file; nothing when it is missing, cannot be read, or holds more than `max_bytes`.
  virtual std::optional<ByteSet> Read(std::string_view name, std::uint64_t max_bytes) = 0;
  // Replaces the file `name` (or makes it) with `bytes`: staged, pushed to the disk and renamed
  // over `name`. False when that did not happen; `name` is then as it was. Makes the folder when
  // it is missing.
  virtual bool Write(std::string_view name, std::span<const std::uint8_t> bytes) = 0;
  virtual bool Delete(std::string_view name) = 0;
  // Sets the file's last use to now; false when it cannot.
  virtual bool Touch(std::string_view name) = 0;
  // The folder's files (staged ones too); none for a folder that does not exist yet, nothing when
  // it cannot be read.
  virtual std::optional<std::vector<UserFileInfo>> List() = 0;
};

// The program's folder "LOLQuillet\<subfolder>" in the user's local application data: the folder
// that the environment variable LOCALAPPDATA names, or, without it, the shell's local application
// data folder. `subfolder` is GBK and may be empty. Nothing is made before the first write; a
// folder that cannot be made or written only makes writes fail. Windows only.
std::unique_ptr<UserFolder> OpenProgramUserFolder(std::string_view subfolder);

}  // namespace lq
