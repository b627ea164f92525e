#include "skins/game_files.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <set>
#include <utility>

namespace lq {
namespace {

constexpr std::string_view kTemporaryPrefix = ".LOLQuillet-";
constexpr std::string_view kStagedKind = "part";
constexpr std::string_view kSetAsideKind = "old";

// The temporary files this process is working with now: resolving leftovers passes them by.
class LiveNames {
 public:
  void Add(const std::string& name) {
    std::lock_guard lock(mutex_);
    names_.insert(name);
  }
  void Remove(const std::string& name) {
    std::lock_guard lock(mutex_);
    names_.erase(name);
  }
  bool Contains(const std::string& name) {
    std::lock_guard lock(mutex_);
    return names_.contains(name);
  }

 private:
  std::mutex mutex_;
  std::set<std::string> names_;
};

LiveNames& Live() {
  static LiveNames& live = *new LiveNames;  // never destroyed: threads may outlive main
  return live;
}

// A name that no other temporary file of this or another copy of the program has, registered as
// live until the caller lets it go.
std::string NewTemporaryName(GameFolder& folder, std::string_view kind, std::string_view target) {
  static std::atomic<std::uint64_t> counter{0};
  std::string name(kTemporaryPrefix);
  name += std::to_string(folder.ProcessId());
  name += '-';
  name += std::to_string(counter.fetch_add(1));
  name += '.';
  name += kind;
  if (!target.empty()) {
    name += '.';
    name += target;
  }
  Live().Add(name);
  return name;
}

bool ParseNumber(std::string_view& text, std::uint64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) {
    return false;
  }
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

std::timed_mutex& FileStepsMutex() {
  static std::timed_mutex& mutex = *new std::timed_mutex;  // held, on purpose, while the end runs
  return mutex;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") {
    return false;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (byte >= 0x81 && i + 1 < name.size()) {
      ++i;  // a two-byte character: its trail byte may be 0x5c without being a backslash
    } else if (byte == '\\' || byte == '/' || byte == ':' || byte == 0) {
      return false;
    }
  }
  return true;
}

std::optional<TemporaryName> ParseTemporaryName(std::string_view name) {
  if (!name.starts_with(kTemporaryPrefix)) {
    return std::nullopt;
  }
  name.remove_prefix(kTemporaryPrefix.size());
  std::uint64_t process = 0;
  std::uint64_t counter = 0;
  if (!ParseNumber(name, process) || process > UINT32_MAX || !name.starts_with('-')) {
    return std::nullopt;
  }
  name.remove_prefix(1);
  if (!ParseNumber(name, counter) || !name.starts_with('.')) {
    return std::nullopt;
  }
  name.remove_prefix(1);
  TemporaryName parsed;
  parsed.process_id = static_cast<std::uint32_t>(process);
  if (name == kStagedKind) {
    return parsed;
  }
  if (name.starts_with(kSetAsideKind) && name.size() > kSetAsideKind.size() + 1 &&
      name[kSetAsideKind.size()] == '.') {
    parsed.set_aside = true;
    parsed.target = std::string(name.substr(kSetAsideKind.size() + 1));
    if (IsPlainFileName(parsed.target)) {
      return parsed;
    }
  }
  return std::nullopt;
}

// ---- StagedFile ------------------------------------------------------------------------------

StagedFile::StagedFile(GameFolder& folder, std::unique_ptr<FolderFile> file, std::string name)
    : folder_(folder), file_(std::move(file)), name_(std::move(name)) {}

std::unique_ptr<StagedFile> StagedFile::Create(GameFolder& folder) {
  // A name can only be taken already by a leftover of an earlier process with the same id.
  for (int attempt = 0; attempt < 4; ++attempt) {
    std::string name = NewTemporaryName(folder, kStagedKind, "");
    if (std::unique_ptr<FolderFile> file = folder.Create(name)) {
      return std::unique_ptr<StagedFile>(new StagedFile(folder, std::move(file), std::move(name)));
    }
    Live().Remove(name);
    if (folder.Find(name) == FolderEntry::kMissing) {
      break;  // the folder takes no file at all
    }
  }
  return nullptr;
}

StagedFile::~StagedFile() {
  file_.reset();
  if (!placed_) {
    folder_.Delete(name_);  // a file that stays is a leftover, resolved later
  }
  Live().Remove(name_);
}

bool StagedFile::Write(std::span<const std::uint8_t> bytes) {
  if (!file_ || !file_->Write(bytes)) {
    return false;
  }
  written_ += bytes.size();
  return true;
}

bool StagedFile::ReadAt(std::uint64_t offset, std::span<std::uint8_t> out) {
  if (!file_ || offset > written_ || out.size() > written_ - offset) {
    return false;
  }
  return file_->ReadAt(offset, out);
}

bool StagedFile::Finish() {
  if (!file_) {
    return false;
  }
  const bool flushed = file_->Flush();
  const bool closed = file_->Close();
  file_.reset();
  return flushed && closed;
}

bool StagedFile::MoveOver(std::string_view target) {
  if (file_ || placed_) {
    return false;  // not finished, or already placed
  }
  const FolderEntry entry = folder_.Find(target);
  if (entry == FolderEntry::kReadOnlyFile || entry == FolderEntry::kOther) {
    return false;
  }
  if (!folder_.Rename(name_, target, true)) {
    return false;
  }
  placed_ = true;
  return true;
}

bool ReplaceFileContent(GameFolder& folder, std::string_view target,
                        std::span<const std::uint8_t> bytes) {
  std::unique_ptr<StagedFile> staged = StagedFile::Create(folder);
  return staged && staged->Write(bytes) && staged->Finish() && staged->MoveOver(target);
}

// ---- SetAside --------------------------------------------------------------------------------

bool SetAside::Take(std::string_view target) {
  Release();
  switch (folder_.Find(target)) {
    case FolderEntry::kMissing:
      target_ = target;
      return true;
    case FolderEntry::kFile:
      break;
    case FolderEntry::kReadOnlyFile:
    case FolderEntry::kOther:
      return false;
  }
  std::string aside = NewTemporaryName(folder_, kSetAsideKind, target);
  if (folder_.Link(target, aside)) {
    linked_ = true;
  } else if (!folder_.Rename(target, aside, false)) {
    Live().Remove(aside);
    return false;
  }
  target_ = target;
  aside_ = std::move(aside);
  return true;
}

bool SetAside::Abandon() {
  if (target_.empty()) {
    return true;
  }
  bool back = true;
  if (!aside_.empty() && linked_) {
    folder_.Delete(aside_);  // the target never went: a second name that stays is a leftover
  } else if (!aside_.empty()) {
    // One that cannot come back stays as the only copy, with its target missing: resolving
    // leftovers puts it back.
    back = folder_.Rename(aside_, target_, false);
  }
  Release();
  return back;
}

bool SetAside::Restore() {
  if (target_.empty()) {
    return true;
  }
  bool restored = false;
  if (aside_.empty()) {
    restored = folder_.Find(target_) == FolderEntry::kMissing || folder_.Delete(target_);
  } else {
    restored = folder_.Rename(aside_, target_, true);
    if (!restored) {
      // The kept file stays as the only copy of the previous one. Without the replacement in its
      // place, resolving leftovers puts it back later.
      folder_.Delete(target_);
    }
  }
  Release();
  return restored;
}

void SetAside::Discard() {
  if (!aside_.empty()) {
    folder_.Delete(aside_);  // one that stays is a leftover whose target exists: deleted later
  }
  Release();
}

void SetAside::Release() {
  if (!aside_.empty()) {
    Live().Remove(aside_);
  }
  target_.clear();
  aside_.clear();
  linked_ = false;
}

SetAside::~SetAside() { Abandon(); }

// ---- Leftovers and the file steps ------------------------------------------------------------

void ResolveLeftovers(GameFolder& folder) {
  const std::optional<std::vector<std::string>> names = folder.List();
  if (!names) {
    return;
  }
  const std::uint32_t own = folder.ProcessId();
  for (const std::string& name : *names) {
    const std::optional<TemporaryName> parsed = ParseTemporaryName(name);
    if (!parsed) {
      continue;
    }
    const bool in_use = parsed->process_id == own ? Live().Contains(name)
                                                  : folder.OwnerRunning(parsed->process_id, name);
    if (in_use) {
      continue;
    }
    if (parsed->set_aside && folder.Find(parsed->target) == FolderEntry::kMissing) {
      folder.Rename(name, parsed->target, false);
    } else {
      folder.Delete(name);
    }
  }
}

std::unique_lock<std::timed_mutex> LockGameFileSteps() {
  return std::unique_lock<std::timed_mutex>(FileStepsMutex());
}

void ResolveGameFolderLeftovers(const GameFolderOpener& open_folder, const Text& directory) {
  std::unique_lock lock(FileStepsMutex(), std::try_to_lock);
  if (!lock || directory.empty() || !open_folder) {
    return;
  }
  if (std::unique_ptr<GameFolder> folder = open_folder(directory)) {
    ResolveLeftovers(*folder);
  }
}

bool HoldGameFileStepsForExit(std::uint32_t limit_ms) {
  // Never released: the process ends while it is held.
  return FileStepsMutex().try_lock_for(std::chrono::milliseconds(limit_ms));
}

}  // namespace lq
