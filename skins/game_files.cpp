#include "skins/game_files.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cstdio>
#include <map>
#include <mutex>
#include <random>
#include <thread>
#include <utility>

#include "runtime/platform/gbk.h"

namespace lq {
namespace {

constexpr std::string_view kTemporaryPrefix = ".LOLQuillet-";
constexpr std::string_view kMarkSuffix = ".lock";
constexpr std::string_view kStagedKind = "part";
constexpr std::string_view kCommitKind = "new";
constexpr std::string_view kSetAsideKind = "old";
constexpr std::string_view kNoFileKind = "none";
constexpr std::size_t kTagDigits = 8;

// A tag that no other owner is likely to draw, in this process or another with the same id.
std::string NewTag() {
  static std::atomic<std::uint64_t> sequence{0};
  std::uint64_t mix = sequence.fetch_add(1) * 0x9e3779b97f4a7c15ull;
  mix ^= static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
  mix ^= static_cast<std::uint64_t>(std::chrono::system_clock::now().time_since_epoch().count())
         << 17;
  try {
    std::random_device device;
    mix ^= static_cast<std::uint64_t>(device()) << 32 | device();
  } catch (...) {  // no random source: the clocks and the sequence make it unlikely enough
  }
  // splitmix64's finaliser spreads every input bit over the tag.
  mix = (mix ^ (mix >> 30)) * 0xbf58476d1ce4e5b9ull;
  mix = (mix ^ (mix >> 27)) * 0x94d049bb133111ebull;
  mix ^= mix >> 31;
  char tag[kTagDigits + 1];
  std::snprintf(tag, sizeof tag, "%08x", static_cast<unsigned>(mix & 0xffffffffu));
  return tag;
}

bool ParseNumber(std::string_view& text, std::uint64_t& value) {
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  if (error != std::errc() || end == text.data()) {
    return false;
  }
  text.remove_prefix(static_cast<std::size_t>(end - text.data()));
  return true;
}

bool IsTag(std::string_view text) {
  return text.size() == kTagDigits && std::ranges::all_of(text, [](char c) {
           return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f');
         });
}

// Held, on purpose, while the end runs; never destroyed: threads may outlive main.
struct FileSteps {
  std::timed_mutex mutex;
  std::atomic<std::thread::id> holder{};
  std::atomic<bool> held_for_end{false};
};

FileSteps& Steps() {
  static FileSteps& steps = *new FileSteps;
  return steps;
}

}  // namespace

// ---- Owners --------------------------------------------------------------------------------

// The owner of a folder object's temporary files: its name and its held mark.
class TemporaryOwner {
 public:
  // The owner of `folder`'s temporary files, made on the first call, its mark held from then on
  // until the folder goes; nothing when no mark can be held.
  static TemporaryOwner* Of(GameFolder& folder) {
    static std::mutex& mutex = *new std::mutex;
    std::lock_guard lock(mutex);
    if (!folder.owner_) {
      // A tag drawn again, or a leftover mark under it, only makes the next attempt draw anew.
      for (int attempt = 0; attempt < 4 && !folder.owner_; ++attempt) {
        std::string name(kTemporaryPrefix);
        name += std::to_string(folder.ProcessId());
        name += '-';
        name += NewTag();
        if (std::unique_ptr<HeldFile> mark = folder.Hold(name + std::string(kMarkSuffix))) {
          folder.owner_ = std::make_shared<TemporaryOwner>(std::move(name), std::move(mark));
        }
      }
    }
    return folder.owner_.get();
  }

  // The owner's name when `folder` has made temporary files; empty otherwise.
  static std::string NameOf(const GameFolder& folder) {
    return folder.owner_ ? folder.owner_->name_ : std::string();
  }

  TemporaryOwner(std::string name, std::unique_ptr<HeldFile> mark)
      : name_(std::move(name)), mark_(std::move(mark)) {}

  // ".LOLQuillet-<process>-<tag>-<n>.", with an n of its own.
  std::string NextPrefix() { return name_ + '-' + std::to_string(counter_.fetch_add(1)) + '.'; }

 private:
  std::string name_;
  std::unique_ptr<HeldFile> mark_;
  std::atomic<std::uint64_t> counter_{0};
};

namespace {

// Whether the owner `owner` (".LOLQuillet-<process>-<tag>") may still use its files: its mark
// exists and cannot be deleted. A mark that can be deleted is gone after the look.
bool OwnerRunning(GameFolder& folder, const std::string& owner) {
  const std::string mark = owner + std::string(kMarkSuffix);
  return !folder.Delete(mark) && folder.Find(mark) != FolderEntry::kMissing;
}

}  // namespace

bool IsPlainFileName(std::string_view name) {
  if (name.empty() || name == "." || name == "..") {
    return false;
  }
  for (std::size_t i = 0; i < name.size(); ++i) {
    const auto byte = static_cast<unsigned char>(name[i]);
    if (gbk::IsCodePageLeadByte(byte) && i + 1 < name.size()) {
      ++i;  // a two-byte character: its trail byte may be 0x5c without being a backslash
    } else if (byte == '\\' || byte == '/' || byte == ':' || byte == 0) {
      return false;
    }
  }
  return true;
}

std::optional<TemporaryName> ParseTemporaryName(std::string_view name) {
  const std::string_view whole = name;
  if (!name.starts_with(kTemporaryPrefix)) {
    return std::nullopt;
  }
  name.remove_prefix(kTemporaryPrefix.size());
  std::uint64_t process = 0;
  if (!ParseNumber(name, process) || process > UINT32_MAX || !name.starts_with('-')) {
    return std::nullopt;
  }
  name.remove_prefix(1);
  if (!IsTag(name.substr(0, kTagDigits))) {
    return std::nullopt;
  }
  name.remove_prefix(kTagDigits);
  TemporaryName parsed;
  parsed.process_id = static_cast<std::uint32_t>(process);
  parsed.owner = std::string(whole.substr(0, whole.size() - name.size()));
  if (name == kMarkSuffix) {
    parsed.kind = TemporaryName::Kind::kMark;
    return parsed;
  }
  if (!name.starts_with('-')) {
    return std::nullopt;
  }
  name.remove_prefix(1);
  if (!ParseNumber(name, parsed.change) || !name.starts_with('.')) {
    return std::nullopt;
  }
  name.remove_prefix(1);
  if (name == kStagedKind) {
    parsed.kind = TemporaryName::Kind::kStaged;
    return parsed;
  }
  const std::size_t dot = name.find('.');
  if (dot == std::string_view::npos) {
    return std::nullopt;
  }
  const std::string_view kind = name.substr(0, dot);
  parsed.target = std::string(name.substr(dot + 1));
  if (kind == kCommitKind) {
    parsed.kind = TemporaryName::Kind::kCommit;
  } else if (kind == kSetAsideKind) {
    parsed.kind = TemporaryName::Kind::kSetAside;
  } else if (kind == kNoFileKind) {
    parsed.kind = TemporaryName::Kind::kNoFile;
  } else {
    return std::nullopt;
  }
  if (!IsPlainFileName(parsed.target)) {
    return std::nullopt;
  }
  return parsed;
}

// ---- StagedFile ------------------------------------------------------------------------------

StagedFile::StagedFile(GameFolder& folder, std::unique_ptr<FolderFile> file, std::string name)
    : folder_(folder), file_(std::move(file)), name_(std::move(name)) {}

std::unique_ptr<StagedFile> StagedFile::Create(GameFolder& folder) {
  TemporaryOwner* owner = TemporaryOwner::Of(folder);
  if (!owner) {
    return nullptr;
  }
  return CreateNamed(folder, owner->NextPrefix() + std::string(kStagedKind));
}

std::unique_ptr<StagedFile> StagedFile::CreateNamed(GameFolder& folder, std::string name) {
  std::unique_ptr<FolderFile> file = folder.Create(name);
  if (!file) {
    return nullptr;
  }
  return std::unique_ptr<StagedFile>(new StagedFile(folder, std::move(file), std::move(name)));
}

StagedFile::~StagedFile() {
  file_.reset();
  if (!placed_) {
    folder_.Delete(name_);  // a file that stays is a leftover, resolved later
  }
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

// ---- Replacement -----------------------------------------------------------------------------

std::string Replacement::Name(std::string_view kind, std::string_view target) {
  return prefix_ + std::string(kind) + '.' + std::string(target);
}

bool Replacement::StageCommit(std::string_view target, std::span<const std::uint8_t> bytes) {
  if (commit_ || done_ || !kept_.empty()) {
    return false;
  }
  TemporaryOwner* owner = TemporaryOwner::Of(folder_);
  if (!owner) {
    return false;
  }
  prefix_ = owner->NextPrefix();
  commit_target_ = target;
  commit_ = StagedFile::CreateNamed(folder_, Name(kCommitKind, target));
  return commit_ && commit_->Write(bytes) && commit_->Finish();
}

bool Replacement::Replace(std::string_view target, StagedFile& staged) {
  if (!commit_ || done_) {
    return false;
  }
  Kept kept{std::string(target), "", false, false, false};
  switch (folder_.Find(target)) {
    case FolderEntry::kMissing: {
      // The note comes first: a target that may be there only because of this change.
      kept.name = Name(kNoFileKind, target);
      std::unique_ptr<FolderFile> note = folder_.Create(kept.name);
      if (!note) {
        return false;
      }
      const bool closed = note->Close();
      kept_.push_back(kept);  // from here, Undo deletes the note
      if (!closed) {
        return false;
      }
      break;
    }
    case FolderEntry::kFile:
      kept.had_file = true;
      kept.name = Name(kSetAsideKind, target);
      if (folder_.Link(target, kept.name)) {
        kept.linked = true;
      } else if (!folder_.Rename(target, kept.name, false)) {
        return false;
      }
      kept_.push_back(kept);
      break;
    case FolderEntry::kReadOnlyFile:
    case FolderEntry::kOther:
      return false;
  }
  if (!staged.MoveOver(target)) {
    return false;
  }
  kept_.back().replaced = true;
  return true;
}

bool Replacement::Commit() {
  if (!commit_ || done_ || !commit_->MoveOver(commit_target_)) {
    return false;
  }
  done_ = true;
  for (const Kept& kept : kept_) {
    // One that stays is resolved later: its replacement stands and its target is there.
    folder_.Delete(kept.name);
  }
  kept_.clear();
  commit_.reset();
  return true;
}

bool Replacement::Undo() {
  if (done_) {
    return false;
  }
  bool back = true;
  for (auto it = kept_.rbegin(); it != kept_.rend(); ++it) {
    const Kept& kept = *it;
    bool this_back = false;
    if (!kept.had_file) {
      // The target is this change's own file, if there is one.
      this_back = (!kept.replaced || folder_.Find(kept.target) == FolderEntry::kMissing ||
                   folder_.Delete(kept.target)) &&
                  folder_.Delete(kept.name);
    } else if (kept.linked && !kept.replaced) {
      this_back = folder_.Delete(kept.name);  // the target never went: its second name goes
    } else {
      this_back = folder_.Rename(kept.name, kept.target, kept.replaced);
    }
    back = back && this_back;
  }
  kept_.clear();
  if (commit_ && !back) {
    // What could not come back stays with the staged commit file: resolving leftovers undoes the
    // rest.
    commit_->placed_ = true;
  }
  commit_.reset();
  done_ = true;
  return back;
}

Replacement::~Replacement() {
  if (!done_) {
    Undo();
  }
}

// ---- Leftovers -------------------------------------------------------------------------------

namespace {

// Puts the kept file `name` of an undone change back over its target: true once it is back.
bool PutBack(GameFolder& folder, const std::string& name, const TemporaryName& kept) {
  const FolderEntry target = folder.Find(kept.target);
  if (kept.kind == TemporaryName::Kind::kNoFile) {
    // The target, if there is one, is the undone change's own file.
    return (target == FolderEntry::kMissing ||
            (target == FolderEntry::kFile && folder.Delete(kept.target))) &&
           folder.Delete(name);
  }
  if (target != FolderEntry::kFile && target != FolderEntry::kMissing) {
    return false;  // a target that cannot be looked at, or is no plain file, is left alone
  }
  if (!folder.Rename(name, kept.target, true)) {
    return false;
  }
  // A second link of the target's own file may survive a move over it: the target has its
  // content, and the name goes.
  return folder.Find(name) == FolderEntry::kMissing || folder.Delete(name);
}

// Settles the kept file `name` of a change that stands.
void Settle(GameFolder& folder, const std::string& name, const TemporaryName& kept) {
  if (kept.kind == TemporaryName::Kind::kNoFile) {
    folder.Delete(name);
    return;
  }
  switch (folder.Find(kept.target)) {
    case FolderEntry::kFile:
    case FolderEntry::kReadOnlyFile:
      folder.Delete(name);  // the target is positively there
      break;
    case FolderEntry::kMissing:
      folder.Rename(name, kept.target, false);
      break;
    case FolderEntry::kOther:
      break;
  }
}

}  // namespace

void ResolveLeftovers(GameFolder& folder) {
  const std::optional<std::vector<std::string>> names = folder.List();
  if (!names) {
    return;
  }
  const std::string own = TemporaryOwner::NameOf(folder);
  std::map<std::string, bool> running;  // by owner, each looked at once
  auto Running = [&](const std::string& owner) {
    auto [it, fresh] = running.try_emplace(owner, true);
    if (fresh) {
      it->second = owner == own || OwnerRunning(folder, owner);
    }
    return it->second;
  };
  struct Change {
    std::string commit;  // the staged commit file, if it is still there
    std::vector<std::pair<std::string, TemporaryName>> kept;
  };
  std::map<std::pair<std::string, std::uint64_t>, Change> changes;
  for (const std::string& name : *names) {
    std::optional<TemporaryName> parsed = ParseTemporaryName(name);
    if (!parsed || Running(parsed->owner)) {
      continue;
    }
    Change& change = changes[{parsed->owner, parsed->change}];
    switch (parsed->kind) {
      case TemporaryName::Kind::kMark:  // deleted by the look at its owner
        break;
      case TemporaryName::Kind::kStaged:
        folder.Delete(name);
        break;
      case TemporaryName::Kind::kCommit:
        change.commit = name;
        break;
      case TemporaryName::Kind::kSetAside:
      case TemporaryName::Kind::kNoFile:
        change.kept.emplace_back(name, std::move(*parsed));
        break;
    }
  }
  for (const auto& [key, change] : changes) {
    if (change.commit.empty()) {
      for (const auto& [name, kept] : change.kept) {
        Settle(folder, name, kept);
      }
      continue;
    }
    bool back = true;
    for (const auto& [name, kept] : change.kept) {
      back = PutBack(folder, name, kept) && back;
    }
    if (back) {
      folder.Delete(change.commit);  // last: until it goes, the change is still to be undone
    }
  }
}

// ---- The file steps --------------------------------------------------------------------------

FileStepsTurn::FileStepsTurn(FileStepsTurn&& other) noexcept
    : held_(std::exchange(other.held_, false)) {}

FileStepsTurn::~FileStepsTurn() {
  if (held_) {
    Steps().holder = std::thread::id();
    Steps().mutex.unlock();
  }
}

FileStepsTurn LockGameFileSteps() {
  Steps().mutex.lock();
  Steps().holder = std::this_thread::get_id();
  return FileStepsTurn(true);
}

FileStepsTurn TryGameFileSteps() {
  if (!Steps().mutex.try_lock()) {
    return FileStepsTurn(false);
  }
  Steps().holder = std::this_thread::get_id();
  return FileStepsTurn(true);
}

void ResolveGameFolderLeftovers(const GameFolderOpener& open_folder, const Text& directory) {
  const FileStepsTurn turn = TryGameFileSteps();
  if (!turn || directory.empty() || !open_folder) {
    return;
  }
  if (std::unique_ptr<GameFolder> folder = open_folder(directory)) {
    ResolveLeftovers(*folder);
  }
}

bool HoldGameFileStepsForExit(std::uint32_t limit_ms) {
  FileSteps& steps = Steps();
  if (steps.held_for_end || steps.holder.load() == std::this_thread::get_id()) {
    steps.held_for_end = true;
    return true;
  }
  // In slices, so that a hold that another thread takes meanwhile ends this wait too.
  using std::chrono::steady_clock;
  constexpr auto kSlice = std::chrono::milliseconds(20);
  const auto deadline = steady_clock::now() + std::chrono::milliseconds(limit_ms);
  for (;;) {
    const auto left = std::max(deadline - steady_clock::now(), steady_clock::duration::zero());
    if (steps.mutex.try_lock_for(std::min<steady_clock::duration>(left, kSlice))) {
      steps.holder = std::this_thread::get_id();
      steps.held_for_end = true;  // never given back: the process ends while it is held
      return true;
    }
    if (steps.held_for_end) {
      return true;
    }
    if (left == steady_clock::duration::zero()) {
      return false;
    }
  }
}

}  // namespace lq
